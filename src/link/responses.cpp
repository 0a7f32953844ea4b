#include "link/responses.h"

#include "link/rxframer.h"

bool isCompleteResponse(const quint8 *bytes, int n)
{
    if (!bytes || n < 3 || bytes[0] != 'I' || bytes[1] != 'G')
        return false;
    return n == RxFramer::frameLength(char(bytes[2])) && bytes[n - 1] == ';';
}
