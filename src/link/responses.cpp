#include "link/responses.h"

#include "link/protocol.h"

bool isCompleteResponse(const quint8 *bytes, int n)
{
    if (!bytes || !isFramedResponse(bytes, n))
        return false;
    if (n < 3 || bytes[0] != 'I' || bytes[1] != 'G')
        return true; // framed, though not ours to decode: the decoder ignores it
    switch (bytes[2]) {
    case 'T':
        return n >= statusResponseLength;
    case 'W':
        return n >= firmwareResponseMinLength;
    default:
        return true;
    }
}
