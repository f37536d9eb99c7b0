#include "setup/install_window.h"

#include "platform/folder_dialog.h"
#include "platform/shell_files.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace glimra {
namespace {

const char* const DefaultLicence =
    "GLIMRA 4th\n\nhttps://quentaro.example/glimra4/\n\n"
    "Permission is granted to use, copy and pass on this program free of charge, "
    "provided this notice stays with every copy. The program is provided as it is, "
    "without any warranty.";

template <class T> T* Place(QWidget* parent, T* widget, int x, int y, int w, int h) {
    widget->setParent(parent);
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

TForm1::TForm1(TInstallWorld& world, TInstallChoice choice)
    : world_(world), choice_(std::move(choice)) {
    setWindowTitle(QStringLiteral("QUENTARO INSTALL ASSISTANT"));
    resize(640, 480);
    QFont title = font();
    title.setPointSize(24);
    title.setBold(true);
    // The second label, up and left of the first and behind it, is its shadow.
    for (int i = 0; i < 2; ++i) {
        auto* label =
            Place(this, new QLabel(QStringLiteral("GLIMRA 4th")), 24 - 8 * i, 16 - 8 * i, 400, 48);
        label->setFont(title);
        if (i == 1) {
            label->setStyleSheet("color: gray");
            label->lower();
        }
    }
    base_ = Place(this, new QFrame, 0, 0, 633, 369);
    base_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    deskTop_ = Place(base_, new QCheckBox(QStringLiteral("デスクトップにショートカットを作成")), 16,
                     12, 600, 22);
    sendTo_ = Place(
        base_, new QCheckBox(QStringLiteral("ポップアップメニューの[送る]にショートカットを作成")),
        16, 36, 600, 22);
    startMenu_ = Place(base_,
                       new QCheckBox(QStringLiteral(
                           "[スタート]メニューのプログラムフォルダにショートカットを作成")),
                       16, 60, 600, 22);
    for (QCheckBox* box : {deskTop_, sendTo_, startMenu_})
        box->setChecked(true);
    Place(base_, new QLabel(QStringLiteral("登録先のスタートメニュー")), 16, 90, 600, 20);
    eStartFolder_ = Place(base_, new QLineEdit, 16, 110, 520, 24);
    changeStart_ = Place(base_, new QPushButton(QStringLiteral("変更")), 544, 110, 72, 24);
    Place(base_, new QLabel(QStringLiteral("アプリケーションのインストール先のフォルダ")), 16, 140,
          600, 20);
    eAppFolder_ = Place(base_, new QLineEdit, 16, 160, 520, 24);
    changeApp_ = Place(base_, new QPushButton(QStringLiteral("変更")), 544, 160, 72, 24);
    auto* memo = Place(base_, new QPlainTextEdit, 16, 192, 600, 130);
    memo->setReadOnly(true);
    memo->setTabChangesFocus(true);
    QFile licence(QString::fromStdString(choice_.DistributionFolder + "/LICENSE.TXT"));
    memo->setPlainText(licence.open(QIODevice::ReadOnly) ? QString::fromUtf8(licence.readAll())
                                                         : QString::fromUtf8(DefaultLicence));
    auto* restore = Place(base_, new QPushButton(QStringLiteral("元に戻す")), 16, 332, 120, 28);
    start_ = Place(base_, new QPushButton(QStringLiteral("インストールの開始")), 336, 332, 136, 28);
    abort_ = Place(base_, new QPushButton(QStringLiteral("インストールの中止")), 480, 332, 136, 28);

    connect(restore, &QPushButton::clicked, this, [this] { RestoreDefaults(); });
    connect(changeStart_, &QPushButton::clicked, this, [this] { ChangeFolder(eStartFolder_); });
    connect(changeApp_, &QPushButton::clicked, this, [this] { ChangeFolder(eAppFolder_); });
    connect(start_, &QPushButton::clicked, this, [this] { StartInstall(); });
    connect(abort_, &QPushButton::clicked, this, &QWidget::close);
    RestoreDefaults();
    eAppFolder_->setText(QString::fromStdString(choice_.AppFolder));
}

void TForm1::RestoreDefaults() {
    folders_ = DefaultInstallFolders(SpecialFolder(SpecialFolderDesktop),
                                     SpecialFolder(SpecialFolderSendTo),
                                     SpecialFolder(SpecialFolderPrograms), ProgramFilesFolder());
    eStartFolder_->setText(QString::fromStdString(folders_.StartFolder));
    eAppFolder_->setText(QString::fromStdString(folders_.AppFolder));
}

void TForm1::ChangeFolder(QLineEdit* edit) {
    std::optional<std::string> chosen = ChooseFolder(this, edit->text().toStdString());
    if (!chosen)
        return;
    if (std::optional<std::string> accepted = AcceptChosenFolder(world_, *chosen))
        edit->setText(QString::fromStdString(*accepted));
}

void TForm1::StartInstall() {
    TInstallChoice choice = choice_;
    choice.AppFolder = eAppFolder_->text().toStdString();
    choice.StartFolder = eStartFolder_->text().toStdString();
    choice.DesktopFolder = folders_.Desktop;
    choice.SendToFolder = folders_.SendTo;
    choice.DeskTop = deskTop_->isChecked();
    choice.SendTo = sendTo_->isChecked();
    choice.StartMenu = startMenu_->isChecked();
    // The uninstaller is started inside the run once the record is written.
    if (!RunInstall(world_, choice).Done)
        return;
    for (QPushButton* b : {start_, abort_, changeStart_, changeApp_})
        b->setEnabled(false);
    close();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    base_->move((width() - base_->width()) / 2, (height() - base_->height()) / 2);
}

} // namespace glimra
