#include "radio/rigctldreply.h"

QByteArray RigctldReply::value(const QByteArray &key) const
{
    for (const auto &kv : values) {
        if (kv.first == key)
            return kv.second;
    }
    return {};
}

QList<RigctldReply> RigctldReplyReader::feed(const QByteArray &bytes)
{
    QList<RigctldReply> done;
    int from = 0;
    while (from < bytes.size()) {
        const int nl = bytes.indexOf('\n', from);
        const int end = nl < 0 ? int(bytes.size()) : nl;
        if (!skipping && partial.size() + (end - from) > maxLine) {
            // Too long to be rigctld talking; drop the line and the answer around it.
            partial.clear();
            skipping = true;
            drop();
        } else if (!skipping) {
            partial.append(bytes.constData() + from, end - from);
        }
        if (nl < 0)
            break;
        if (!skipping)
            takeLine(partial, done);
        partial.clear();
        skipping = false;
        from = nl + 1;
    }
    return done;
}

void RigctldReplyReader::takeLine(const QByteArray &raw, QList<RigctldReply> &done)
{
    const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
    if (line.startsWith("RPRT")) {
        bool ok = false;
        current.code = line.mid(4).trimmed().toInt(&ok);
        if (ok && !discarding)
            done.append(current);
        current = RigctldReply();
        lines = 0;
        discarding = false;
        return;
    }
    if (discarding)
        return;
    if (++lines > maxLines) {
        drop();
        return;
    }
    const int colon = line.indexOf(':');
    if (lines == 1) {
        current.command = colon < 0 ? line : line.left(colon);
    } else if (colon > 0) {
        current.values.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    // Anything else inside an answer (a line with no key) carries nothing we ask for.
}

void RigctldReplyReader::drop()
{
    overrun = true;
    current = RigctldReply();
    lines = 0;
    discarding = true;
}

void RigctldReplyReader::reset()
{
    partial.clear();
    skipping = false;
    discarding = false;
    current = RigctldReply();
    lines = 0;
    overrun = false;
}
