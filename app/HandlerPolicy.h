#pragma once

#include <cstdint>

// What a handler of the main window does when it arrives while other work on the lists is on the
// call stack below a message pump (a search, a column sort, "Leave only oldest/newest", a delete or
// move run, and the message boxes of each). Every handler's policy is declared once, beside its
// connect in TMainForm::ConnectHandlers.
enum class THandlerPolicy
{
    Always,     // runs whatever is on the stack: it does not touch the lists
    WhenIdle,   // ignored while list work is on the stack
    HoldsLists, // as WhenIdle, and the lists count as busy while it runs
    StartStop,  // the Start button: a Stop while a search is on the stack, ignored below other list
                // work, and the lists count as busy while the search it starts runs
};

// The list work on the stack, counted, and the lists' generation: it changes whenever list work
// ends or the lists are released, so a command can tell whether the rows it was given still show
// what they showed.
class TListWork
{
public:
    // Whether a handler of `policy` runs now; `searching`: a search is on the stack.
    bool Admits(THandlerPolicy policy, bool searching) const;
    // Whether a handler of `policy` that runs now holds the lists while it runs.
    static bool Holds(THandlerPolicy policy, bool searching);

    bool Busy() const { return m_depth > 0; }
    void Begin() { ++m_depth; }
    // Returns whether no list work is left on the stack.
    bool End();

    uint64_t Generation() const { return m_generation; }
    void ListsReleased() { ++m_generation; }

private:
    int m_depth = 0;
    uint64_t m_generation = 0;
};
