#include "station/apicommand.h"

#include "radio/followsettings.h"

namespace {

using Words = QList<QByteArray>;
// Reads a verb's arguments into the command: nullptr when they are right, else why not.
using ArgumentReader = const char *(*)(const Words &args, ApiCommand &command);

quint16 readSeq(const QByteArray &line, int &rest)
{
    const int bar = int(line.indexOf('|'));
    if (!line.startsWith('C') || bar < 2 || bar > 6 || line.at(1) == '0')
        return 0;
    int seq = 0;
    for (int i = 1; i < bar; ++i) {
        const char c = line.at(i);
        if (c < '0' || c > '9')
            return 0;
        seq = seq * 10 + (c - '0');
    }
    rest = bar + 1;
    return seq <= 65535 ? quint16(seq) : 0;
}

bool printable(const QByteArray &line)
{
    for (const char c : line) {
        if (c < ' ' || c > '~')
            return false;
    }
    return true;
}

Words wordsOf(const QByteArray &text)
{
    Words words;
    for (const QByteArray &word : text.split(' ')) {
        if (!word.isEmpty())
            words.append(word);
    }
    return words;
}

// A single digit from low to high, or -1.
int digit(const QByteArray &word, int low, int high)
{
    if (word.size() != 1 || word.at(0) < '0' + low || word.at(0) > '0' + high)
        return -1;
    return word.at(0) - '0';
}

// The value of "key=value", or a null array when the word is not that key's.
QByteArray valueOf(const QByteArray &word, const char *key)
{
    const QByteArray prefix = QByteArray(key) + '=';
    return word.startsWith(prefix) ? word.mid(prefix.size()) : QByteArray();
}

bool isTokenText(const QByteArray &token)
{
    if (token.isEmpty() || token.size() > ApiCommand::maxToken)
        return false;
    for (const char c : token) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !(c >= '0' && c <= '9') && c != '-' && c != '_')
            return false;
    }
    return true;
}

template<Verb verb> const char *bare(const Words &args, ApiCommand &command)
{
    command.verb = verb;
    return args.isEmpty() ? nullptr : "takes no arguments";
}

const char *readAuth(const Words &args, ApiCommand &command)
{
    command.verb = Verb::Auth;
    command.token = args.size() == 1 ? valueOf(args[0], "token") : QByteArray();
    return isTokenText(command.token) ? nullptr : "expected token=<token>";
}

const char *readKeepalive(const Words &args, ApiCommand &command)
{
    command.verb = Verb::Keepalive;
    command.enable = args.size() == 1 && args[0] == "enable";
    return command.enable || (args.size() == 1 && args[0] == "disable")
               ? nullptr
               : "expected enable or disable";
}

const char *readAntenna(const Words &args, ApiCommand &command)
{
    command.verb = Verb::AntennaList;
    return args.size() == 1 && args[0] == "list" ? nullptr : "expected list";
}

const char *readSelect(const Words &args, ApiCommand &command)
{
    if (args.size() != 1)
        return "expected tx=<1-8> or rx=<RX1-RX4 or RTX>";
    const QByteArray tx = valueOf(args[0], "tx");
    if (!tx.isNull()) {
        command.verb = Verb::SelectTx;
        command.antenna = digit(tx, 1, 8);
        return command.antenna > 0 ? nullptr : "tx must be 1 to 8";
    }
    command.verb = Verb::SelectRx;
    const QByteArray rx = valueOf(args[0], "rx");
    command.receive = rx.isEmpty() ? -1 : receiveKeyIndex(QString::fromLatin1(rx));
    return command.receive >= 0 ? nullptr : "rx must be RX1 to RX4 or RTX";
}

const char *readSplit(const Words &args, ApiCommand &command)
{
    command.verb = Verb::Split;
    if (args.size() == 1 && args[0] == "off") {
        command.verb = Verb::SplitOff;
        return nullptr;
    }
    if (args.size() != 2)
        return "expected two antennas or off";
    command.antenna = digit(args[0], 1, 8);
    command.splitAntenna = digit(args[1], 1, 8);
    if (command.antenna < 0 || command.splitAntenna < 0)
        return "antennas must be 1 to 8";
    return command.antenna != command.splitAntenna ? nullptr : "the two antennas must differ";
}

const char *readSuperSplit(const Words &args, ApiCommand &command)
{
    command.verb = Verb::SuperSplit;
    if (args.size() != 1)
        return "expected positions such as 1,3,5";
    for (const QByteArray &item : args[0].split(',')) {
        const int position = digit(item, 1, 8);
        if (position < 0 || command.group.contains(position))
            return "positions must be 1 to 8, each once";
        command.group.append(position);
    }
    return command.group.size() >= 2 ? nullptr : "a group has at least two positions";
}

const char *readRotor(const Words &args, ApiCommand &command)
{
    command.verb = Verb::Rotor;
    command.rotor = args.size() == 1 ? digit(args[0], 0, 4) : -1;
    return command.rotor >= 0 ? nullptr : "rotor must be 0 to 4";
}

const char *readRelease(const Words &args, ApiCommand &command)
{
    command.verb = args.isEmpty() ? Verb::Release : Verb::ReleaseAll;
    return args.isEmpty() || (args.size() == 1 && args[0] == "all") ? nullptr
                                                                    : "expected nothing or all";
}

const char *readSub(const Words &args, ApiCommand &command)
{
    command.verb = Verb::Subscribe;
    static const struct
    {
        const char *word;
        quint8 topics;
    } topics[] = {{"switch", TopicSwitch},
                  {"link", TopicLink},
                  {"follow", TopicFollow},
                  {"all", TopicAll}};
    for (const auto &topic : topics) {
        if (args.size() == 1 && args[0] == topic.word)
            command.topics = topic.topics;
    }
    return command.topics ? nullptr : "expected switch, link, follow or all";
}

const char *readUnsub(const Words &args, ApiCommand &command)
{
    command.verb = Verb::UnsubscribeAll;
    return args.size() == 1 && args[0] == "all" ? nullptr : "expected all";
}

const struct
{
    const char *word;
    ArgumentReader read;
} verbs[] = {
    {"auth", readAuth},         {"ping", bare<Verb::Ping>}, {"keepalive", readKeepalive},
    {"info", bare<Verb::Info>}, {"antenna", readAntenna},   {"status", bare<Verb::Status>},
    {"select", readSelect},     {"split", readSplit},       {"supersplit", readSuperSplit},
    {"rotor", readRotor},       {"release", readRelease},   {"sub", readSub},
    {"unsub", readUnsub},
};

ParsedLine refused(ParsedLine parsed, ReplyCode code, const char *reason)
{
    parsed.code = code;
    parsed.reason = reason;
    return parsed;
}

} // namespace

ParsedLine parseLine(const QByteArray &line)
{
    ParsedLine parsed;
    parsed.blank = line.isEmpty();
    int rest = 0;
    parsed.seq = parsed.blank ? 0 : readSeq(line, rest);
    if (parsed.blank)
        return parsed;
    if (!printable(line))
        return refused(parsed, ReplyCode::BadArguments, "not printable ASCII");
    if (parsed.seq == 0)
        return refused(parsed, ReplyCode::BadArguments, "a line starts with C<1-65535> and a bar");
    const Words words = wordsOf(line.mid(rest));
    for (const auto &verb : verbs) {
        if (!words.isEmpty() && words[0] == verb.word) {
            const char *why = verb.read(words.mid(1), parsed.command);
            return why ? refused(parsed, ReplyCode::BadArguments, why) : parsed;
        }
    }
    return refused(parsed, ReplyCode::UnknownVerb, "unknown verb");
}

bool changesSwitch(Verb verb)
{
    switch (verb) {
    case Verb::SelectTx:
    case Verb::SelectRx:
    case Verb::Split:
    case Verb::SplitOff:
    case Verb::SuperSplit:
    case Verb::Rotor:
    case Verb::Release:
    case Verb::ReleaseAll:
        return true;
    default:
        return false;
    }
}
