#include "consolecommand.h"

#include <QRegularExpression>
#include <QStringList>

const char consoleHelp[] =
    "commands: busy <none|all|1,5|0xMASK>  tx on|off  fw <major> <minor>  silent on|off\n"
    "          garbage [n]  truncate [n] [length]  hangup [ms] [keep]  wrongdevice on|off\n"
    "          delay <ms>  baud <rate|0>  chunk <bytes> <ms>|off  noise <bytes/s|0>\n"
    "          short [length 4..12|0]  status  help  quit";

namespace {

ConsoleCommand invalid(const QString &why)
{
    ConsoleCommand c;
    c.verb = ConsoleCommand::Invalid;
    c.error = why;
    return c;
}

bool parseOnOff(const QString &word, bool *on)
{
    const QString w = word.toLower();
    if (w == "on" || w == "1" || w == "yes") {
        *on = true;
        return true;
    }
    if (w == "off" || w == "0" || w == "no") {
        *on = false;
        return true;
    }
    return false;
}

// An optional count argument; absent means the default.
bool parseCount(const QStringList &words, int index, int fallback, int low, int high, int *value)
{
    if (words.size() <= index) {
        *value = fallback;
        return true;
    }
    bool ok = false;
    *value = words.at(index).toInt(&ok);
    return ok && *value >= low && *value <= high;
}

} // namespace

int parseBusyAntennas(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == "none" || t == "-")
        return 0;
    if (t == "all")
        return 0xFF;
    if (t.startsWith("0x")) {
        bool ok = false;
        const int mask = t.mid(2).toInt(&ok, 16);
        return ok && mask >= 0 && mask <= 0xFF ? mask : -1;
    }
    const QStringList items = t.split(QRegularExpression("[,\\s]+"), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return -1;
    int mask = 0;
    for (const QString &item : items) {
        bool ok = false;
        const int antenna = item.toInt(&ok);
        if (!ok || antenna < 1 || antenna > 8)
            return -1;
        mask |= 1 << (antenna - 1);
    }
    return mask;
}

bool parseFirmware(const QString &text, int *major, int *minor)
{
    const QStringList parts =
        text.trimmed().split(QRegularExpression("[.\\s]+"), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return false;
    bool okMajor = false;
    bool okMinor = false;
    *major = parts.at(0).toInt(&okMajor);
    *minor = parts.at(1).toInt(&okMinor);
    return okMajor && okMinor && *major >= 0 && *major <= 255 && *minor >= 0 && *minor <= 255;
}

ConsoleCommand parseConsoleCommand(const QString &line)
{
    const QStringList words = line.simplified().split(' ', Qt::SkipEmptyParts);
    ConsoleCommand c;
    if (words.isEmpty())
        return c;
    const QString verb = words.first().toLower();
    const QString rest = words.mid(1).join(' ');

    if (verb == "busy") {
        c.verb = ConsoleCommand::Busy;
        c.number = parseBusyAntennas(rest);
        return c.number < 0 ? invalid("busy: give none, all, antennas 1..8 or 0xMASK") : c;
    }
    if (verb == "tx" || verb == "silent") {
        c.verb = verb == "tx" ? ConsoleCommand::Tx : ConsoleCommand::Silent;
        if (words.size() != 2 || !parseOnOff(words.at(1), &c.flag))
            return invalid(verb + ": give on or off");
        return c;
    }
    if (verb == "fw") {
        c.verb = ConsoleCommand::Firmware;
        if (!parseFirmware(rest, &c.number, &c.second))
            return invalid("fw: give major and minor, 0..255 each");
        return c;
    }
    if (verb == "garbage") {
        c.verb = ConsoleCommand::Garbage;
        if (words.size() > 2 || !parseCount(words, 1, 1, 0, 1000000, &c.number))
            return invalid("garbage: give a count of polls");
        return c;
    }
    if (verb == "truncate") {
        c.verb = ConsoleCommand::Truncate;
        if (words.size() > 3 || !parseCount(words, 1, 1, 0, 1000000, &c.number)
            || !parseCount(words, 2, 8, 1, 12, &c.second))
            return invalid("truncate: give a count of polls and a length 1..12");
        return c;
    }
    if (verb == "hangup") {
        c.verb = ConsoleCommand::Hangup;
        const bool keep = words.size() > 1 && words.last().toLower() == "keep";
        const QStringList args = keep ? QStringList(words.mid(0, words.size() - 1)) : words;
        c.flag = keep;
        if (args.size() > 2 || !parseCount(args, 1, 2000, 0, 3600000, &c.number))
            return invalid("hangup: give the time away in ms, and optionally keep");
        return c;
    }
    if (verb == "delay") {
        c.verb = ConsoleCommand::Delay;
        if (words.size() != 2 || !parseCount(words, 1, 0, 0, 10000, &c.number))
            return invalid("delay: give the answer latency in ms, 0..10000");
        return c;
    }
    if (verb == "baud") {
        c.verb = ConsoleCommand::Baud;
        if (words.size() != 2 || !parseCount(words, 1, 0, 0, 1000000, &c.number)
            || (c.number > 0 && c.number < 50))
            return invalid("baud: give the line speed, 50..1000000, or 0 for off");
        return c;
    }
    if (verb == "chunk") {
        c.verb = ConsoleCommand::Chunk;
        if (rest.toLower() == "off")
            return c;
        const QStringList args = rest.split(QRegularExpression("[,\\s]+"), Qt::SkipEmptyParts);
        if (args.size() != 2 || !parseCount(args, 0, 0, 1, 100000, &c.number)
            || !parseCount(args, 1, 0, 0, 10000, &c.second))
            return invalid("chunk: give the first piece's bytes and the pause in ms, or off");
        return c;
    }
    if (verb == "noise") {
        c.verb = ConsoleCommand::Noise;
        if (words.size() != 2 || !parseCount(words, 1, 0, 0, 100000, &c.number))
            return invalid("noise: give random bytes a second, 0..100000");
        return c;
    }
    if (verb == "short") {
        c.verb = ConsoleCommand::Short;
        if (words.size() > 2 || !parseCount(words, 1, 8, 0, 12, &c.number)
            || (c.number > 0 && c.number < 4))
            return invalid("short: give the frame length, 4..12, or 0 for off");
        return c;
    }
    if (verb == "wrongdevice") {
        c.verb = ConsoleCommand::WrongDevice;
        if (words.size() != 2 || !parseOnOff(words.at(1), &c.flag))
            return invalid("wrongdevice: give on or off");
        return c;
    }
    if (words.size() == 1 && (verb == "status" || verb == "help" || verb == "quit")) {
        c.verb = verb == "status" ? ConsoleCommand::Status
                 : verb == "help" ? ConsoleCommand::Help
                                  : ConsoleCommand::Quit;
        return c;
    }
    return invalid("unknown command \"" + line.trimmed() + "\"; type help");
}
