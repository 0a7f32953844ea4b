#include "remote/stationdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "app/theme.h"
#include "config/settingsvalues.h"

StationDialog::StationDialog(const StationAddress &address, QWidget *parent)
    : QDialog(parent), host(new QLineEdit(address.host, this)), port(new QSpinBox(this)),
      token(new QLineEdit(address.token, this)), tls(new QCheckBox(tr("TLS"), this)),
      pin(address.pin)
{
    setWindowTitle(tr("Connect to Station"));
    setStyleSheet(darkStyleSheet(ThemeVariant::Dialog));
    host->setObjectName(QStringLiteral("stationHost"));
    host->setPlaceholderText(QStringLiteral("shack.example.org"));
    port->setObjectName(QStringLiteral("stationPort"));
    port->setRange(1, 65535);
    port->setValue(address.port);
    token->setObjectName(QStringLiteral("stationToken"));
    token->setEchoMode(QLineEdit::Password);
    token->setPlaceholderText(tr("none on this computer"));
    host->setProperty("pinnedHost", address.host);
    tls->setObjectName(QStringLiteral("stationTls"));
    tls->setChecked(address.tls);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(tr("Host:"), host);
    form->addRow(tr("Port:"), port);
    form->addRow(tr("Token:"), token);
    form->addRow(QString(), tls);
    form->addRow(buttons);
}

StationAddress StationDialog::address() const
{
    StationAddress a;
    a.host = host->text().trimmed();
    a.port = quint16(port->value());
    a.token = token->text().trimmed();
    a.tls = tls->isChecked();
    // Another host is another certificate: the pin goes with the host it was taken from.
    a.pin = a.host == host->property("pinnedHost").toString() ? pin : QByteArray();
    return a;
}

StationAddress loadStationAddress(const QString &path)
{
    const IniFile file(path);
    StationAddress a;
    a.host = iniText(file.value(QStringLiteral("Station/Host"), QString())).trimmed();
    const int port = iniNumber(file.value(QStringLiteral("Station/Port"), QString()));
    if (port >= 1 && port <= 65535)
        a.port = quint16(port);
    a.token = iniText(file.value(QStringLiteral("Station/Token"), QString())).trimmed();
    a.tls = iniFlag(file, QStringLiteral("Station/Tls"), false);
    a.pin = iniText(file.value(QStringLiteral("Station/Certificate"), QString())).toLatin1();
    return a;
}

bool saveStationAddress(const QString &path, const StationAddress &a)
{
    return writeIniValues(path,
                          {{QStringLiteral("Station/Host"), a.host},
                           {QStringLiteral("Station/Port"), int(a.port)},
                           {QStringLiteral("Station/Token"), a.token},
                           {QStringLiteral("Station/Tls"), a.tls},
                           {QStringLiteral("Station/Certificate"), QString::fromLatin1(a.pin)}});
}
