#include "station/commandrate.h"

bool CommandRate::take(qint64 nowMs)
{
    // A clock that steps back gives nothing; one that leaps ahead fills the bucket and no
    // more, so the product below cannot overflow.
    const qint64 elapsed = qBound<qint64>(0, nowMs - last, burst * whole / perSecond);
    last = nowMs;
    credit = qMin(burst * whole, credit + elapsed * perSecond);
    if (credit < whole)
        return false;
    credit -= whole;
    return true;
}
