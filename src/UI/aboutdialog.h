#pragma once

#include <QDialog>

namespace Ui {

// The About box.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
};

} // namespace Ui
