#include "HandlerPolicy.h"

bool TListWork::Admits(THandlerPolicy policy, bool searching) const
{
    switch (policy) {
    case THandlerPolicy::Always:
        return true;
    case THandlerPolicy::StartStop:
        // A Stop must reach a running search; a Start below other list work would release its lists.
        return searching || !Busy();
    case THandlerPolicy::WhenIdle:
    case THandlerPolicy::HoldsLists:
        break;
    }
    return !Busy();
}

bool TListWork::Holds(THandlerPolicy policy, bool searching)
{
    return policy == THandlerPolicy::HoldsLists || (policy == THandlerPolicy::StartStop && !searching);
}

bool TListWork::End()
{
    // Whatever the work did, a row looked up before it may show another record now.
    ++m_generation;
    return --m_depth == 0;
}
