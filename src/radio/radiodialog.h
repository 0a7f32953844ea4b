#pragma once

#include <QComboBox>
#include <QDialog>
#include <QVector>

#include "radio/followsettings.h"

QT_BEGIN_NAMESPACE
namespace Ui {
class RadioDialog;
}
QT_END_NAMESPACE

// Configs › Radio and Bands: where the frequency comes from, and the TX and receive
// antenna of each band, picked from lists that show the operator's antenna labels.
class RadioDialog : public QDialog
{
    Q_OBJECT

public:
    // antennaNames: the eight TX antenna labels as the window shows them.
    RadioDialog(const FollowSettings &settings, const QStringList &antennaNames,
                QWidget *parent = nullptr);
    ~RadioDialog() override;

    // What the dialog holds now (the Follow Radio choice is kept as it was given).
    FollowSettings settings() const;

private:
    Ui::RadioDialog *ui = nullptr;
    FollowSettings given;
    QVector<QComboBox *> txBoxes; // one per band, in band order
    QVector<QComboBox *> rxBoxes;
};
