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
    // choice: the distribution folder, the folders typed names are taken against, and
    // the installation folder given on the command line, if any.
    TForm1(TInstallWorld& world, TInstallChoice choice);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RestoreDefaults();
    void ChangeFolder(QLineEdit* edit);
    void StartInstall();

    TInstallWorld& world_;
    TInstallChoice choice_;
    TInstallFolders folders_;
    QFrame* base_;
    QCheckBox *deskTop_, *sendTo_, *startMenu_;
    QLineEdit *eStartFolder_, *eAppFolder_;
    QPushButton *changeStart_, *changeApp_, *start_, *abort_;
};

} // namespace glimra
