#include "uyelist.h"
#include "ui_uyelist.h"

#include "application.h"
#include "db_grid.h"
#include "forms.h"
#include "uyekayit.h"
#include "window_position.h"

#include <QKeyEvent>

namespace {

struct LetterTab {
    const char *caption;
    const char *filter; // nullptr: every member
};

// The Turkish alphabet without ğ, q, w and x; each letter filters on its
// capital, the dotless ı on I and the dotted i on İ.
const LetterTab kLetterTabs[] = {
    {"Genel", nullptr},
    {"-", "[AdiSoyadi]=NULL"},
    {"123", "[AdiSoyadi]='1*' or [AdiSoyadi]='2*' or [AdiSoyadi]='3*'"},
    {"  a  ", "[AdiSoyadi]='A*'"}, {"  b ", "[AdiSoyadi]='B*'"}, {"  c ", "[AdiSoyadi]='C*'"},
    {"  ç ", "[AdiSoyadi]='Ç*'"}, {"  d ", "[AdiSoyadi]='D*'"}, {"  e ", "[AdiSoyadi]='E*'"},
    {"  f ", "[AdiSoyadi]='F*'"}, {"  g ", "[AdiSoyadi]='G*'"}, {"  h ", "[AdiSoyadi]='H*'"},
    {"  ı  ", "[AdiSoyadi]='I*'"}, {"  i  ", "[AdiSoyadi]='İ*'"}, {"  j ", "[AdiSoyadi]='J*'"},
    {"  k ", "[AdiSoyadi]='K*'"}, {"  l ", "[AdiSoyadi]='L*'"}, {"  m ", "[AdiSoyadi]='M*'"},
    {"  n ", "[AdiSoyadi]='N*'"}, {"  o ", "[AdiSoyadi]='O*'"}, {"  ö ", "[AdiSoyadi]='Ö*'"},
    {"  p ", "[AdiSoyadi]='P*'"}, {"  r ", "[AdiSoyadi]='R*'"}, {"  s ", "[AdiSoyadi]='S*'"},
    {"  ş ", "[AdiSoyadi]='Ş*'"}, {"  t ", "[AdiSoyadi]='T*'"}, {"  u ", "[AdiSoyadi]='U*'"},
    {"  ü ", "[AdiSoyadi]='Ü*'"}, {"  v ", "[AdiSoyadi]='V*'"}, {"  y ", "[AdiSoyadi]='Y*'"},
    {"  z ", "[AdiSoyadi]='Z*'"},
};

// The fields each chooser item searches, in the chooser's order. The
// telephone item looks at all three numbers a member has.
const QStringList kSearchFields[] = {
    {QStringLiteral("AdiSoyadi")},
    {QStringLiteral("KimlikNo")},
    {QStringLiteral("EvTel"), QStringLiteral("IsTel"), QStringLiteral("Gsm")},
    {QStringLiteral("KanGrubu")},
    {QStringLiteral("Mahalle")},
};

// Every value of a chosen field that begins with `text`; with no item
// chosen, the name.
QString searchFilter(const QString &text, int chooserItem)
{
    QString literal = text + QLatin1Char('*');
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    literal = QLatin1Char('\'') + literal + QLatin1Char('\'');
    const QStringList &fields = kSearchFields[chooserItem < 0 ? 0 : chooserItem];
    QStringList comparisons;
    for (const QString &field : fields)
        comparisons << QLatin1Char('[') + field + QStringLiteral("]=") + literal;
    return comparisons.join(QStringLiteral(" or "));
}

} // namespace

TUyeListForm1::TUyeListForm1(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TUyeListForm1>())
{
    ui->setupUi(this);
    DBGrid1 = ui->DBGrid1;
    DBGrid1->setRowSelect(true);
    DBGrid1->setReadOnly(true);
    // Each column as wide as its caption and the longest value its field
    // holds, in the fonts the grid shows them in.
    DBGrid1->setColumns({{QStringLiteral("KayitNo"), QStringLiteral("Kayıt No"), TColumn::FitWidth},
                         {QStringLiteral("Tarih"), QString(), TColumn::FitWidth},
                         {QStringLiteral("AdiSoyadi"), QStringLiteral("Adı Soyadı"), TColumn::FitWidth},
                         {QStringLiteral("IsTel"), QStringLiteral("İş Telefonu"), TColumn::FitWidth},
                         {QStringLiteral("EvTel"), QStringLiteral("Ev Telefonu"), TColumn::FitWidth},
                         {QStringLiteral("Gsm"), QString(), TColumn::FitWidth},
                         {QStringLiteral("Mahalle"), QString(), TColumn::FitWidth},
                         {QStringLiteral("KanGrubu"), QStringLiteral("Kan Grubu"), TColumn::FitWidth}});

    QTabBar *tabs = ui->TabSet1;
    // Tabs hang below the line and take no more room than their captions,
    // whose blanks already space them, so the whole alphabet fits the width.
    tabs->setShape(QTabBar::RoundedSouth);
    tabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid gray; border-top: none; padding: 1px 1px 2px 1px; margin-right: -1px;"
        " background: palette(button); }"
        "QTabBar::tab:selected { background: palette(base); }"));
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(true);
    tabs->setElideMode(Qt::ElideNone);
    for (const LetterTab &tab : kLetterTabs)
        tabs->addTab(QString::fromUtf8(tab.caption));
    tabs->setCurrentIndex(0);
    connect(tabs, &QTabBar::currentChanged, this, [this](int index) { Guarded([&] { TabSet1Change(index); }); });
    // A search narrows the list without moving the strip, so the tab that
    // is already chosen must still take the list back when clicked.
    connect(tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (m_searching && index == ui->TabSet1->currentIndex())
            Guarded([&] { TabSet1Change(index); });
    });

    ui->ToolButton2->setMenu(ui->PopupMenu1);
    const auto command = [this](auto *sender, auto signal, void (TUyeListForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    command(ui->ToolButton1, &QToolButton::clicked, &TUyeListForm1::ToolButton1Click);
    command(ui->ToolButton2, &QToolButton::clicked, &TUyeListForm1::ToolButton2Click);
    command(ui->Dzenle1, &QAction::triggered, &TUyeListForm1::Dzenle1Click);
    command(ui->ToolButton5, &QToolButton::clicked, &TUyeListForm1::ToolButton5Click);
    command(DBGrid1, &TDBGrid::DblClick, &TUyeListForm1::DBGrid1DblClick);

    // Which chooser item counts: one picked from the list, until the
    // operator types into the chooser.
    connect(ui->ComboBox1, &QComboBox::activated, this, [this](int index) { m_chosenItem = index; });
    connect(ui->ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { m_chosenItem = -1; });
    ui->Edit1->installEventFilter(this);
}

TUyeListForm1::~TUyeListForm1() = default;

void TUyeListForm1::BindMembers(TDataSource *members) { DBGrid1->setDataSource(members); }

TDataSet *TUyeListForm1::members() const { return DBGrid1->DataSource()->DataSet(); }

void TUyeListForm1::TabSet1Change(int newTab)
{
    TDataSet *cursor = members();
    try {
        cursor->setFilterOptions(cursor->FilterOptions() | foCaseInsensitive);
        if (const char *filter = kLetterTabs[newTab].filter) {
            cursor->setFilter(QString::fromUtf8(filter));
            cursor->setFiltered(true);
        } else {
            cursor->setFiltered(false);
        }
    } catch (...) {
        // The cursor refused (its pending row would not post): the strip
        // goes back to the tab whose filter is still in force, so the
        // operator can choose again.
        const QSignalBlocker quiet(ui->TabSet1);
        ui->TabSet1->setCurrentIndex(m_filterTab);
        throw;
    }
    m_filterTab = newTab;
    m_searching = false;
}

void TUyeListForm1::ToolButton1Click()
{
    TDataSet *cursor = members();
    cursor->setFilter(searchFilter(ui->Edit1->text(), m_chosenItem));
    cursor->setFiltered(true);
    m_searching = true;
}

void TUyeListForm1::ToolButton2Click() { UyeKayitForm1->PrintTemplate(QStringLiteral("UyeList.qpf")); }

void TUyeListForm1::Dzenle1Click() { UyeKayitForm1->EditTemplate(QStringLiteral("UyeList.qpf")); }

void TUyeListForm1::ToolButton5Click() { close(); }

void TUyeListForm1::DBGrid1DblClick()
{
    UyeKayitForm1->show();
    UyeKayitForm1->raise();
    UyeKayitForm1->activateWindow();
}

bool TUyeListForm1::eventFilter(QObject *watched, QEvent *event)
{
    // Edit1KeyPress: a carriage return searches, every other key types.
    if (watched == ui->Edit1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->text() == QLatin1String("\r")) {
        Guarded([this] { ToolButton1Click(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TUyeListForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
