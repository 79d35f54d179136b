#include "app/Version.h"

#include "common/ProgramInfo.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TVersionForm::TVersionForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("VersionForm");
    setWindowTitle("About");
    setFixedSize(259, 162);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 241, 113);

    const auto label = [panel](const char* name, const QString& text, int left, int top) {
        auto* l = new QLabel(text, panel);
        l->setObjectName(QLatin1String(name));
        l->move(left, top);
        l->adjustSize();
    };
    label("ProductName", "Vantrel ボイスバンク作成ツール", 65, 12);
    label("VersionLabel", QString::fromStdString("Version " + ProgramVersionText()), 65, 30);
    label("Copyright", "Copyright (C) 2026 Vantrel developers", 65, 48);
    label("Label1", "ご利用いただきありがとうございます。", 14, 80);

    auto* ok = new QPushButton("OK(&O)", this);
    ok->setObjectName("OKButton");
    ok->setGeometry(88, 130, 81, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
