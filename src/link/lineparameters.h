#pragma once

#include <QMetaType>
#include <QSerialPort>
#include <QString>

// The chosen port and line parameters: each value once for the port and, where the
// operator sees a word, once as the text the status line shows.
struct SerialSettings
{
    QString portName;
    qint32 baudRate = 0;
    QString baudRateText;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QString dataBitsText;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QString parityText;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QString stopBitsText;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
    QString flowControlText;
};

// What the link is asked to open.
using PortSettings = SerialSettings;

Q_DECLARE_METATYPE(SerialSettings)
