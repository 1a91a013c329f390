#include "ReadPlan.h"

#include "core/FileLists.h"

bool TReadPlan::Peek(int32_t& index)
{
    Settle();
    index = m_next;
    return m_next <= FileCount;
}

void TReadPlan::Advance()
{
    ++m_next;
    m_forced = false;
}

void TReadPlan::RestartAt(int32_t index)
{
    EnterRunAt(index);
    m_next = index;
    m_forced = true;
}

void TReadPlan::EnterRunAt(int32_t index)
{
    const uint64_t size = FileList[index].Size;
    m_first = m_last = index;
    while (m_first > 0 && FileList[m_first - 1].Size == size)
        --m_first;
    while (m_last < FileCount && FileList[m_last + 1].Size == size)
        ++m_last;
    m_read = m_last > m_first && size > 0;
    if (m_read)
        m_repeats = &m_views.Find(m_first, m_last);
}

void TReadPlan::Settle()
{
    while (!m_forced && m_next <= FileCount) {
        if (m_next > m_last)
            EnterRunAt(m_next);
        if (!m_read)
            m_next = m_last + 1;
        else if (!(*m_repeats)[size_t(m_next - m_first)])
            return;
        else
            ++m_next;
    }
}
