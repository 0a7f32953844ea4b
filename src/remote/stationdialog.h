#pragma once

#include <QDialog>

#include "remote/stationlink.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

// File › Connect to Station…: where the station is, the token, and TLS on or off.
class StationDialog : public QDialog
{
    Q_OBJECT

public:
    StationDialog(const StationAddress &address, QWidget *parent);
    StationAddress address() const;

private:
    QLineEdit *host;
    QSpinBox *port;
    QLineEdit *token;
    QCheckBox *tls;
    QByteArray pin;
};

// [Station] in the panel's settings file: Host, Port, Token, Tls and the certificate's
// pin (Certificate, its SHA-256 in hex), as the dialog last saved them.
StationAddress loadStationAddress(const QString &path);
bool saveStationAddress(const QString &path, const StationAddress &address);
