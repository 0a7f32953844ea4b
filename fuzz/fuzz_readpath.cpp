// Feeds arbitrary byte streams through the read path as the link and the panel run it:
// the bounded input buffer and its framing (RxFramer), the status and firmware decoding,
// and the panel model taking each status and deciding the look of every key. All of it is
// widget-free and runs here in one thread; the link's port and thread only carry bytes in
// and signals out, and the window only copies the model's look onto its keys.
//
// Bytes "arrive" up to and including the next ";" (or the end of the input), and each
// arrival is taken whole, as one read of the port delivers whatever is waiting; a frame
// cut by an arrival waits in the buffer for the rest.
//
// Each input starts from a new connection (an empty buffer) and a panel gone dark after a
// silence, so a finding reproduces from its one file. An input that begins with '#' and
// 15 more bytes sets the panel state first (the operator may have opened a split set-up
// or a super-split selection between two reports); the stream follows those 16 bytes.
#include <cstdint>
#include <cstring>

#include "link/rxframer.h"
#include "link/switchstatus.h"
#include "panel/panelmodel.h"

namespace {

static_assert(sizeof(PanelState) == 15, "the state header holds one byte per field");
constexpr std::size_t stateHeaderSize = 1 + sizeof(PanelState);

// Every style the look names is read in full: a look pointing anywhere but at a style
// string shows up under ASan.
template<std::size_t N> std::size_t touch(const std::array<KeyStyle, N> &styles)
{
    std::size_t n = 0;
    for (KeyStyle style : styles)
        n += style ? std::strlen(style) : 0;
    return n;
}

std::size_t touch(const PanelLook &look)
{
    std::size_t n = touch(look.tx) + touch(look.busy) + touch(look.rotors) + touch(look.rx);
    for (KeyStyle style : {look.split, look.superSplit, look.send, look.power})
        n += style ? std::strlen(style) : 0;
    return n;
}

// What the link does with one read: the framer takes whole answers out of the stream,
// each is decoded, and a status goes to the model.
void arrive(RxFramer &framer, PanelModel &model, const char *bytes, int n)
{
    framer.append(bytes, n);
    for (;;) {
        const RxFramer::Taken taken = framer.next();
        if (taken.step == RxFramer::Step::Waiting)
            break;
        // Every step takes bytes out, or the link would spin on its input.
        if (taken.bytes.isEmpty())
            __builtin_trap();
        if (taken.step != RxFramer::Step::Frame)
            continue;
        const std::optional<SwitchStatus> status = SwitchStatus::decode(taken.bytes);
        // A frame the framer hands out is one the decoders take: nothing whole is lost
        // between the two.
        if (!status && !FirmwareRevision::decode(taken.bytes))
            __builtin_trap();
        if (status) {
            model.statusReceived(*status);
            if (touch(model.look()) == 0)
                __builtin_trap(); // a status lights the power key at least
        }
    }
    if (framer.size() > RxFramer::capacity)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    PanelState state;
    if (size >= stateHeaderSize && data[0] == '#') {
        std::memcpy(&state, data + 1, sizeof state);
        data += stateHeaderSize;
        size -= stateHeaderSize;
    }
    PanelModel model;
    model.setState(state);
    model.setLinkAlive(false);
    RxFramer framer;

    std::size_t arrived = 0; // bytes the controller has sent so far
    while (arrived < size) {
        const auto *end =
            static_cast<const std::uint8_t *>(std::memchr(data + arrived, ';', size - arrived));
        const std::size_t upTo = end ? std::size_t(end - data) + 1 : size;
        arrive(framer, model, reinterpret_cast<const char *>(data + arrived), int(upTo - arrived));
        arrived = upTo;
    }
    return 0;
}
