#pragma once

#include <functional>

// Installs a pump for one test and restores the previous one afterwards. The script runs on
// every pump with the number of the pump (1, 2, ...); StopAt(n) requests a stop at the n-th.
class TPumpScript
{
public:
    explicit TPumpScript(std::function<void(int)> script = {});
    ~TPumpScript();
    TPumpScript(const TPumpScript&) = delete;
    TPumpScript& operator=(const TPumpScript&) = delete;

    static TPumpScript StopAt(int pump);
    int Count() const { return m_count; }

private:
    std::function<void()> m_previous;
    std::function<void(int)> m_script;
    int m_count = 0;
};
