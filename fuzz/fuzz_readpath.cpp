// Feeds arbitrary byte streams through the panel's whole read path: the bounded input
// buffer and its framing, the dispatch, the status and firmware decoding, the panel
// state and the painters on the real widgets of one MainWindow under the offscreen
// platform.
//
// The port is modelled, not opened: a pseudo-terminal round trip per input would cost
// milliseconds, and the code after the read (acceptBytes) is the same one callReceber
// runs. Bytes "arrive" up to and including the next ";" (or the end of the input), and
// each arrival is read whole, as the 25 ms cycle reads whatever is waiting; a frame cut
// by an arrival waits in the buffer for the rest.
//
// Each input starts from the panel's start state and idle look, so a finding
// reproduces from its one file. An input that begins with '#' and 15 more bytes sets
// the panel state first (the operator may have opened a split set-up or a super-split
// selection between two reports); the stream follows those 16 bytes.
#include <QApplication>
#include <QStandardPaths>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "link/clock.h"
#include "link/linksession.h"
#include "link/protocol.h"
#include "link/seriallink.h"
#include "panel/panelstate.h"

namespace {

static_assert(sizeof(PanelState) == 15, "the state header holds one byte per field");
constexpr std::size_t stateHeaderSize = 1 + sizeof(PanelState);

// The decoder's debug line ("Voltou p 1!!") would flood the fuzzer's output.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

MainWindow &panel()
{
    static MainWindow *window = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietMessages);
        // Never touch the operator's own port settings file.
        QStandardPaths::setTestModeEnabled(true);
        registerResources();
        static int argc = 1;
        static char name[] = "fuzz_readpath";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv); // lives for the whole run, as the window does
        auto *w = new MainWindow;
        w->show();
        // Load fonts and polish the form now, not inside the first input.
        QCoreApplication::processEvents();
        return w;
    }();
    return *window;
}

// The link fell silent between two inputs: callReceber's own silence branch returns
// every key to the idle look (the port is never opened, so it reads nothing).
void startFresh(MainWindow &w, const PanelState &state)
{
    panelState = state;
    std::memset(rxBuffer, 0, sizeof rxBuffer);
    rxLength = 0;
    linkSession.start(monotonicMs());
    lastPacketTime = monotonicMs() - 60 * 1000;
    w.callReceber(&w);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    panel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MainWindow &w = panel();
    PanelState state;
    if (size >= stateHeaderSize && data[0] == '#') {
        std::memcpy(&state, data + 1, sizeof state);
        data += stateHeaderSize;
        size -= stateHeaderSize;
    }
    startFresh(w, state);

    std::size_t arrived = 0; // bytes the controller has sent so far
    while (arrived < size) {
        const std::uint8_t *end =
            static_cast<const std::uint8_t *>(std::memchr(data + arrived, ';', size - arrived));
        const std::size_t upTo = end ? std::size_t(end - data) + 1 : size;
        acceptBytes(&w, reinterpret_cast<const char *>(data + arrived), int(upTo - arrived));
        arrived = upTo;
    }
    // The painters restyled the real widgets above; drawing them on the offscreen
    // surface is Qt's own work and costs more than the rest together, so the widgets
    // are drawn after the first input (a replayed finding always is) and every 64th.
    static unsigned inputs = 0;
    if (inputs++ % 64 == 0)
        QCoreApplication::processEvents();
    return 0;
}
