#include "app/Prompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>
#include <vector>

QStringList TDialogPrompter::ChooseFiles(QWidget* Parent, TFileDialog& Dialog)
{
    QFileDialog dialog(Parent);
    dialog.setNameFilter(Dialog.Filter);
    switch (Dialog.Kind) {
    case TFileDialog::TKind::Open:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case TFileDialog::TKind::OpenMany:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case TFileDialog::TKind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(Dialog.DefaultSuffix);
        break;
    }
    if (!Dialog.Title.isEmpty())
        dialog.setWindowTitle(Dialog.Title);
    if (!Dialog.Folder.isEmpty())
        dialog.setDirectory(Dialog.Folder);
    if (!Dialog.FileName.isEmpty())
        dialog.selectFile(Dialog.FileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty())
        Dialog.FileName = chosen.constLast();
    return chosen;
}

TPrompter::TAnswer TDialogPrompter::AskYesNoCancel(QWidget* Parent, const QString& Title, const QString& Text)
{
    QMessageBox box(QMessageBox::NoIcon, Title, Text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    Parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return TAnswer::Cancel;
    }
}

void TDialogPrompter::ShowError(QWidget* Parent, const QString& Title, const QString& Text)
{
    QMessageBox box(QMessageBox::Critical, Title, Text, QMessageBox::Ok, Parent);
    box.exec();
}

int TDialogPrompter::AskChoice(QWidget* Parent, const QString& Title, const QString& Text, const QStringList& Buttons)
{
    QMessageBox box(QMessageBox::Warning, Title, Text, QMessageBox::NoButton, Parent);
    std::vector<QAbstractButton*> buttons;
    for (const QString& caption : Buttons)
        buttons.push_back(box.addButton(caption, QMessageBox::ActionRole));
    box.exec();
    const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return pressed == buttons.end() ? -1 : static_cast<int>(pressed - buttons.begin());
}

void TDialogPrompter::ShowWarning(QWidget* Parent, const QString& Title, const QString& Text)
{
    QMessageBox box(QMessageBox::Warning, Title, Text, QMessageBox::Ok, Parent);
    box.exec();
}

namespace {

class TDialogProgress : public TProgress {
public:
    TDialogProgress(QWidget* Parent, const QString& Text, int Steps)
        : FDialog(Text, QCoreApplication::translate("TDialogPrompter", "キャンセル"), 0, Steps, Parent)
    {
        FDialog.setWindowModality(Qt::WindowModal);
        FDialog.setMinimumDuration(500);
        FDialog.setValue(0);
    }
    bool Step(int Done) override
    {
        FDialog.setValue(Done); // a modal dialog processes events here
        return !FDialog.wasCanceled();
    }

private:
    QProgressDialog FDialog;
};

} // namespace

std::unique_ptr<TProgress> TDialogPrompter::StartProgress(QWidget* Parent, const QString& Text, int Steps)
{
    return std::make_unique<TDialogProgress>(Parent, Text, Steps);
}

void TDialogPrompter::ShowModal(QDialog& Form) { Form.exec(); }

void TDialogPrompter::Beep() { QApplication::beep(); }
