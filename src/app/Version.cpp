#include "app/Version.h"

#include "app/ResourceIcon.h"
#include "common/ProgramInfo.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

// The form's layout, grown where a font needs more room than the form's
// 259 x 162 pixels, so that every text shows whole.
TVersionForm::TVersionForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("VersionForm");
    setWindowTitle(tr("About"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    QRect texts;
    const auto label = [&](const char* name, const QString& text, int left, int top) {
        auto* l = new QLabel(text, panel);
        l->setObjectName(QLatin1String(name));
        l->move(left, top);
        l->adjustSize();
        texts |= l->geometry();
    };
    // The program's icon heads the names, left of them.
    auto* icon = new QLabel(panel);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(ResourceIcon("vantrel").pixmap(32, 32));
    icon->setGeometry(14, 12, 32, 32);
    texts |= icon->geometry();
    const int left = icon->geometry().right() + 1 + 10;
    label("ProductName", tr("Vantrel ボイスバンク作成ツール"), left, 12);
    label("VersionLabel", QString::fromStdString("Version " + ProgramVersionText()), left, 30);
    label("Copyright", "Copyright (C) 2026 Vantrel developers", left, 48);
    label("Label1", tr("ご利用いただきありがとうございます。"), 14, 80);
    // The panel's margins: 14 on the left of the notices line, as much right.
    const int margin = 14;
    panel->setGeometry(8, 8, std::max(241, texts.right() + 1 + margin), std::max(113, texts.bottom() + 1 + margin));

    auto* ok = new QPushButton(tr("OK(&O)"), this);
    ok->setObjectName("OKButton");
    const int width = panel->width() + 18;
    ok->setGeometry((width - 81) / 2, panel->geometry().bottom() + 10, 81, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(width, ok->geometry().bottom() + 8);
}
