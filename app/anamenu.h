#pragma once
// The main window with the program's menu and toolbar, and the program's
// start-up: the windows in their fixed order, then the message loop.

#include <QMainWindow>
#include <QStringList>
#include <memory>

class TApplication;
namespace Ui {
class TAnaMenu1;
}

class TAnaMenu1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TAnaMenu1(QWidget *parent = nullptr);
    ~TAnaMenu1() override;

    // Shows the window maximised; restored, it has its design size, centred.
    void ShowMain();
    // The status bar's last panel names the folder the register lives in.
    void ShowWorkingFolder(const QString &folder);

    void yeGirii1Click();  // new member
    void yeBul1Click();    // member list
    void ehir1Click();     // provinces
    void Kaza1Click();     // districts
    void Mahalle1Click();  // neighbourhoods
    void Hakknda1Click();  // about
    void Orvanta1Click();  // the maker's web site
    void TakvimMenuClick(); // calendar
    void k1Click();        // end the program

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpToolBar();
    void setUpBackground();
    void setUpStatusBar();

    std::unique_ptr<Ui::TAnaMenu1> ui;
};

// The maker's web site, opened by the help menu.
extern const char *const kMakerSite;

// The folder the register lives in, from the program's arguments
// (`zelvan [FOLDER]`): the folder named, else "Zelvan" in the home folder,
// never the folder the program was started from. A folder named by the
// operator that holds none of the tables becomes a new register only when
// the operator agrees; empty when they decline, and then nothing has been
// written. Raises on more than one argument.
QString ChooseWorkingFolder(const QStringList &arguments);

// Prepares `folder` (a new register is created and seeded), makes it the
// process's working folder, where the windows find their tables and
// templates by bare name, and creates every window in the program's order,
// hidden; a window that owns a table opens it as it is created. Raises when
// a table cannot be opened.
void StartUp(TApplication &app, const QString &folder);

// Chooses the folder from `arguments` (the program's name first), StartUp,
// the main window and the message loop. An error during start-up is shown
// in the error box and gives exit status 1; declining a new register ends
// with status 0.
int RunZelvan(TApplication &app, const QStringList &arguments);
