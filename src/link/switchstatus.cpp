#include "link/switchstatus.h"

#include "link/responses.h"

namespace {
bool whole(const QByteArray &frame, char kind)
{
    return frame.size() > 2 && frame.at(2) == kind
           && isCompleteResponse(reinterpret_cast<const quint8 *>(frame.constData()),
                                 int(frame.size()));
}
} // namespace

std::optional<SwitchStatus> SwitchStatus::decode(const QByteArray &frame)
{
    if (!whole(frame, 'T'))
        return std::nullopt;
    const auto field = [&frame](int at) { return quint8(frame.at(at)); };
    SwitchStatus s;
    s.txPos = field(StatusField::txPos);
    s.split = field(StatusField::split);
    s.freeMask = field(StatusField::busyMask);
    s.rotor = field(StatusField::rotor);
    s.group = field(StatusField::group);
    s.transmitting = field(StatusField::transmitting);
    s.splitTxPos = field(StatusField::splitTxPos);
    s.previousTxPos = field(StatusField::previousTxPos);
    s.rxMode = field(StatusField::rxMode);
    return s;
}

std::optional<FirmwareRevision> FirmwareRevision::decode(const QByteArray &frame)
{
    if (!whole(frame, 'W'))
        return std::nullopt;
    return FirmwareRevision{quint8(frame.at(FirmwareField::major)),
                            quint8(frame.at(FirmwareField::minor))};
}
