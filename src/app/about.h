#pragma once

#include <QDialog>

QT_BEGIN_NAMESPACE
namespace Ui {
class about;
}
QT_END_NAMESPACE

// What the program is: product line, version, copyright, the maker's address and logo.
class about : public QDialog
{
    Q_OBJECT

public:
    explicit about(QWidget *parent = nullptr);
    ~about() override;

private:
    Ui::about *ui = nullptr;
};
