#pragma once

#include <utility>

// Sets a test seam for one scope and gives back what it replaced when the scope ends. `set` is
// one of the Set...ForTest functions, each of which returns the value it replaces.
template <typename TValue> class TScopedSeam
{
public:
    template <typename TArg>
    TScopedSeam(TValue (*set)(TValue), TArg&& value) : m_set(set), m_previous(set(std::forward<TArg>(value)))
    {
    }
    ~TScopedSeam() { m_set(std::move(m_previous)); }
    TScopedSeam(const TScopedSeam&) = delete;
    TScopedSeam& operator=(const TScopedSeam&) = delete;

private:
    TValue (*m_set)(TValue);
    TValue m_previous;
};

template <typename TValue, typename TArg> TScopedSeam(TValue (*)(TValue), TArg&&) -> TScopedSeam<TValue>;
