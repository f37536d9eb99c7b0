#pragma once
#include "setup/install_steps.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QFrame;

namespace glimra {

// The install window: folders, shortcut boxes, the licence and the two actions.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1(TInstallWorld& world, std::string distributionFolder);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RestoreDefaults();
    void ChangeFolder(QLineEdit* edit);
    void StartInstall();

    TInstallWorld& world_;
    std::string dist_;
    TInstallFolders folders_;
    std::vector<std::string> created_;
    QFrame* base_;
    QCheckBox *deskTop_, *sendTo_, *startMenu_;
    QLineEdit *eStartFolder_, *eAppFolder_;
    QPushButton *changeStart_, *changeApp_, *start_, *abort_;
};

} // namespace glimra
