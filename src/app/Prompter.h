#pragma once
// Every question the main window asks a person goes through TPrompter: file
// choices, the save question, message boxes, the About box and the beep. The
// program uses TDialogPrompter (real Qt dialogs); tests give the window a
// scripted prompter and answer without anybody clicking.

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;
class QWidget;

// A file dialog's settings and the name it remembers between uses.
struct TFileDialog {
    enum class TKind { Open, OpenMany, Save };
    TKind Kind = TKind::Open;
    QString Filter;        // "waveファイル(*.wav);;すべてのファイル(*)"
    QString DefaultSuffix; // appended to a saved name typed without extension
    QString FileName;      // initial name; the chosen one after a confirmed dialog
    QString Title;         // the dialog's title; empty: the platform's own
    QString Folder;        // where it opens when FileName names no folder; empty: the working folder
};

// A long task's progress as a person sees it, with a cancel button.
class TProgress {
public:
    virtual ~TProgress() = default;
    // Done of the task's steps are done; false once the person cancelled.
    virtual bool Step(int Done) = 0;
};

class TPrompter {
public:
    enum class TAnswer { Yes, No, Cancel };

    virtual ~TPrompter() = default;

    // Shows the dialog; returns the chosen paths (several only for OpenMany),
    // empty when the user cancelled. A save dialog asks before overwriting.
    virtual QStringList ChooseFiles(QWidget* Parent, TFileDialog& Dialog) = 0;
    // A question with Yes, No and Cancel and no icon.
    virtual TAnswer AskYesNoCancel(QWidget* Parent, const QString& Title, const QString& Text) = 0;
    // An error box: error icon, one OK button.
    virtual void ShowError(QWidget* Parent, const QString& Title, const QString& Text) = 0;
    // A warning with one button for each of Buttons; returns the index of the
    // one pressed, -1 when the box was closed without any.
    virtual int AskChoice(QWidget* Parent, const QString& Title, const QString& Text, const QStringList& Buttons) = 0;
    // A warning box: warning icon, one OK button.
    virtual void ShowWarning(QWidget* Parent, const QString& Title, const QString& Text) = 0;
    // Shows a modal form (the About box) until it is closed.
    virtual void ShowModal(QDialog& Form) = 0;
    // A progress dialog of Steps steps with Text, until the result goes.
    virtual std::unique_ptr<TProgress> StartProgress(QWidget* Parent, const QString& Text, int Steps) = 0;
    virtual void Beep() = 0;
};

class TDialogPrompter : public TPrompter {
public:
    QStringList ChooseFiles(QWidget* Parent, TFileDialog& Dialog) override;
    TAnswer AskYesNoCancel(QWidget* Parent, const QString& Title, const QString& Text) override;
    void ShowError(QWidget* Parent, const QString& Title, const QString& Text) override;
    int AskChoice(QWidget* Parent, const QString& Title, const QString& Text, const QStringList& Buttons) override;
    void ShowWarning(QWidget* Parent, const QString& Title, const QString& Text) override;
    void ShowModal(QDialog& Form) override;
    std::unique_ptr<TProgress> StartProgress(QWidget* Parent, const QString& Text, int Steps) override;
    void Beep() override;
};
