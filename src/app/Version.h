#pragma once
// TVersionForm: the About box, with the program's name and version and two
// lines of notices. One instance lives hidden for the whole run and is shown
// modally from the Help menu.

#include <QDialog>

class TVersionForm : public QDialog {
    Q_OBJECT
public:
    explicit TVersionForm(QWidget* Parent = nullptr);
};
