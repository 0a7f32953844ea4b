#pragma once

#include <QDialog>

class MainWindow;

QT_BEGIN_NAMESPACE
namespace Ui {
class labels;
}
QT_END_NAMESPACE

// Where the operator edits the key captions, the antenna labels and the station ID.
class labels : public QDialog
{
    Q_OBJECT

public:
    labels(QWidget *parent, MainWindow *mainWindow);
    ~labels() override;

    void loadLabels();
    void saveLabels();

private slots:
    void on_buttonBox_accepted();

private:
    Ui::labels *ui = nullptr;
    MainWindow *mainWindow = nullptr;
};
