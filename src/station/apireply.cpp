#include "station/apireply.h"

namespace {

const struct
{
    ReplyCode code;
    const char *text;
} codeTexts[] = {
    {ReplyCode::Ok, "ok"},
    {ReplyCode::UnknownVerb, "unknown verb"},
    {ReplyCode::BadArguments, "bad arguments"},
    {ReplyCode::NotAuthenticated, "not authenticated"},
    {ReplyCode::ReadOnly, "read-only token"},
    {ReplyCode::SwitchOffline, "switch offline"},
    {ReplyCode::NotConfirmed, "not confirmed"},
    {ReplyCode::LineTooLong, "line too long"},
    {ReplyCode::RateLimited, "rate limited"},
    {ReplyCode::ServerFull, "server full"},
    {ReplyCode::BadToken, "bad token"},
};

} // namespace

QByteArray codeText(ReplyCode code)
{
    for (const auto &entry : codeTexts) {
        if (entry.code == code)
            return entry.text;
    }
    return "error";
}

bool closesConnection(ReplyCode code)
{
    return code == ReplyCode::LineTooLong || code == ReplyCode::ServerFull;
}

QByteArray replyLine(quint16 seq, ReplyCode code, const QByteArray &text)
{
    QByteArray line = 'R' + QByteArray::number(seq) + '|';
    line += QByteArray::number(int(code), 16).rightJustified(2, '0').toUpper() + '|';
    for (const char c : text)
        line += c >= ' ' && c <= '~' && c != '|' ? c : '?';
    return line;
}

QByteArray replyLine(quint16 seq, ReplyCode code)
{
    return replyLine(seq, code, codeText(code));
}

QList<QByteArray> listReply(quint16 seq, const QList<QByteArray> &items)
{
    QList<QByteArray> lines;
    for (const QByteArray &item : items)
        lines.append(replyLine(seq, ReplyCode::Ok, item));
    lines.append(replyLine(seq, ReplyCode::Ok, {}));
    return lines;
}

QByteArray greeting(const QString &version, const QString &name, bool mustAuthenticate)
{
    QByteArray line = 'V' + fieldText(version) + " ORVIK name=" + fieldText(name);
    if (mustAuthenticate)
        line += " AUTH";
    return line;
}

QByteArray fieldText(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const char c : text.toUtf8()) {
        const auto byte = quint8(c);
        if (byte > ' ' && byte <= '~' && c != '%' && c != '|') {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        }
    }
    return out;
}
