#pragma once

#include "Core/Operations/Photolithography/maskimage.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace Ui {
namespace Operations {

// One mask row of the mask dialogs: the file name, "..." to choose a file,
// "Apply" to read it into a mask and "Remove" to drop the mask.
class MaskFileRow : public QWidget
{
public:
    // prefix names the widgets: lie<prefix>, tbt<prefix>, btnApply<prefix>, btnRemove<prefix>.
    // notFound: the warning shown when the file cannot be read as an image.
    MaskFileRow(const QString &prefix, const QString &notFound, QWidget *parent);

    // Called with the new mask after a successful "Apply" and after "Remove".
    std::function<void(const Core::Operations::MaskImage &)> onChanged;
    // Shows the warning; a modal message box unless replaced (tests).
    std::function<void(const QString &)> warn;

    const Core::Operations::MaskImage &mask() const { return m_mask; }
    QString fileName() const;
    void setFileName(const QString &name);
    // Reads the line edit's file as "Apply" does; false (mask kept) when it cannot be read.
    bool apply();
    void remove();
    void choose();

    // The directory the file dialog starts in, remembered across dialogs.
    static QString lastDirectory();

private:
    QLineEdit *m_file;
    QString m_notFound;
    Core::Operations::MaskImage m_mask;
};

} // namespace Operations
} // namespace Ui
