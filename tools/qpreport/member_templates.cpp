#include "member_templates.h"

#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <QDir>

namespace {

// A field of the member cursor, as the registration window names it.
QString field(const QString &name) { return QStringLiteral("[Table1.\"%1\"]").arg(name); }

// Display formats: category in bits 24-27, variant 16-23, decimals 8-15,
// decimal separator 0-7.
constexpr quint32 kWholeNumber = (1u << 24) | (0u << 16) | (0u << 8) | ',';
constexpr quint32 kMoney = (1u << 24) | (3u << 16) | (2u << 8) | ',';
constexpr quint32 kCustomDate = (2u << 24) | (4u << 16);
const QString kDatePicture = QStringLiteral("dd.mm.yyyy");

constexpr quint32 kHeadingFill = 0xEEE4D9; // pale blue-grey (blue in the high byte)
constexpr quint32 kRuleColour = 0xB0B0B0;

constexpr int kA4 = 9;

// Sheet layout in report units of 5/18 mm: A4 is 756 units wide and 1069
// high. Everything stays 40 units (11 mm) inside every edge, clear of the
// 10 mm that a printer's unprintable border may take.
constexpr int kSheetWidth = 756;
constexpr int kSheetHeight = 1069;
constexpr int kMargin = 40;
constexpr int kContentWidth = kSheetWidth - 2 * kMargin;
constexpr int kContentBottom = kSheetHeight - kMargin;

class Builder {
public:
    explicit Builder(TqpReport &report) : m_report(report)
    {
        m_report.Pages.Clear();
        addPage(QStringLiteral("Page1"));
        // Fixed document dates keep regenerated files byte for byte the same.
        m_report.CreateDate = m_report.LastChange = 46000.0;
        m_report.Author = QStringLiteral("Zelvan");
    }

    // Objects made from now on go to a new page of the same paper.
    void addPage(const QString &name)
    {
        m_page = m_report.Pages.Add();
        m_page->Name = name;
        m_page->ChangePaper(kA4, 0, 0, -1, poPortrait);
        m_page->Margins = {kMargin, kMargin, kMargin, kMargin};
    }

    void subReport(const QString &name, int subPage, int left, int top, int width, int height)
    {
        auto *s = add<TqpSubReportView>(name);
        s->SetBounds(left, top, width, height);
        s->SubPage = subPage;
    }

    TqpBandView *band(const QString &name, int type, int top, int height, quint16 flags = 0)
    {
        auto *b = add<TqpBandView>(name);
        b->SetBandType(type);
        b->Flags = flags;
        b->SetBounds(kMargin, top, kContentWidth, height);
        return b;
    }

    TqpMemoView *text(const QString &name, const QString &memo, int left, int top, int width, int height,
                      int size = 9, int style = 0, int alignment = 0)
    {
        auto *m = add<TqpMemoView>(name);
        m->SetBounds(left, top, width, height);
        m->Memo = memo.split(QLatin1Char('\n'));
        m->Font.Name = QStringLiteral("Arial");
        m->Font.Size = size;
        m->Font.Style = style;
        m->Alignment = alignment | 8; // vertically centred in the cell
        m->Flags = 0;
        return m;
    }

    void rule(const QString &name, int top)
    {
        auto *l = add<TqpLineView>(name);
        l->SetBounds(kMargin, top, kContentWidth, 0);
        l->FrameTyp = qpftTop;
        l->FrameWidth = 1.5f;
    }

    void picture(const QString &name, const QString &memo, int left, int top, int width, int height)
    {
        auto *p = add<TqpPictureView>(name);
        p->SetBounds(left, top, width, height);
        p->Memo = {memo};
        p->FrameTyp = qpftLeft | qpftTop | qpftRight | qpftBottom;
        p->FrameColor = kRuleColour;
    }

    // A shaded heading across the given width.
    void heading(const QString &name, const QString &caption, int top, int width = kContentWidth)
    {
        TqpMemoView *h = text(name, caption, kMargin, top, width, 22, 11, fsBold);
        h->FillColor = kHeadingFill;
        h->GapX = 6;
    }

    // Label and value on one line; the value is ruled below like a form.
    TqpMemoView *row(const QString &name, const QString &label, const QString &value, int top, int width)
    {
        text(name + QStringLiteral("Etiket"), label, kMargin, top, 140, 20, 9, fsBold);
        TqpMemoView *v = text(name, value, kMargin + 145, top, width - 145, 20);
        v->FrameTyp = qpftBottom;
        v->FrameColor = kRuleColour;
        return v;
    }

private:
    template<typename T>
    T *add(const QString &name)
    {
        T *v = new T;
        v->Name = name;
        m_page->Items.append(v);
        return v;
    }

    TqpReport &m_report;
    TqpPage *m_page = nullptr;
};

} // namespace

namespace {

// The page of the dues sub-report: a column heading, one row per year of
// the member's dues and the totals, at the left of the sub-report object.
void addDuesPage(Builder &b)
{
    b.addPage(QStringLiteral("AidatSayfasi"));
    const auto due = [](const QString &name) { return QStringLiteral("[Table2.\"%1\"]").arg(name); };
    struct Column {
        QString name, caption;
        int left, width;
    };
    const QList<Column> columns = {
        {QStringLiteral("Yil"), QStringLiteral("Yıl"), 0, 80},
        {QStringLiteral("OdemeTarihi"), QStringLiteral("Ödeme Tarihi"), 80, 122},
        {QStringLiteral("Aidat"), QStringLiteral("Aidat"), 202, 158},
        {QStringLiteral("Alinan"), QStringLiteral("Alınan"), 360, 158},
        {QStringLiteral("Kalan"), QStringLiteral("Kalan"), 518, 158},
    }; // across the sub-report's width, kContentWidth
    // The headings come again above the rows a long history continues with.
    b.band(QStringLiteral("AidatBasligi"), btMasterHeader, 0, 22, flRepeatHeader);
    b.band(QStringLiteral("AidatSatiri"), btMasterData, 30, 20)->FormatStr = QStringLiteral("qpDBDataSet2");
    b.band(QStringLiteral("AidatToplami"), btMasterFooter, 60, 22);
    for (const Column &c : columns) {
        const bool money = c.left >= 202;
        const int align = money ? qptaRight : 0;
        TqpMemoView *caption = b.text(c.name + QStringLiteral("Baslik"), c.caption, c.left, 0, c.width, 22, 9, fsBold,
                                      align);
        caption->FillColor = kHeadingFill;
        caption->GapX = 4;
        TqpMemoView *value = b.text(QStringLiteral("Aidat") + c.name, due(c.name) + (money ? QStringLiteral(" TL") : QString()),
                                    c.left, 30, c.width, 20, 9, 0, align);
        value->GapX = 4;
        value->FrameTyp = qpftBottom;
        value->FrameColor = kRuleColour;
        if (money) {
            value->Format = kMoney;
            TqpMemoView *total = b.text(QStringLiteral("Toplam") + c.name,
                                        QStringLiteral("[SUM(Table2.%1)] TL").arg(c.name), c.left, 60, c.width, 22,
                                        9, fsBold, align);
            total->Format = kMoney;
            total->GapX = 4;
        } else if (c.name == QLatin1String("OdemeTarihi")) {
            value->Format = kCustomDate;
            value->FormatStr = kDatePicture;
        }
    }
    b.text(QStringLiteral("ToplamEtiketi"), QStringLiteral("Toplam"), 0, 60, 202, 22, 9, fsBold)->GapX = 4;
}

} // namespace

void qpBuildMemberForm(TqpReport &report)
{
    Builder b(report);
    report.Title = QStringLiteral("Üye Formu");
    // The current member once, not a walk over the cursor: a report title
    // band and its chain of child bands. The long fields have bands of their
    // own that grow with the text and split across pages.
    TqpBandView *title = b.band(QStringLiteral("Baslik"), btReportTitle, kMargin, 1000);
    TqpBandView *last = title;
    const auto chain = [&b, &last](const QString &name, int top, int height, quint16 flags = 0) {
        last->ChildBand = name;
        last->Height = std::min(last->Height, top - last->Top - 1);
        last = b.band(name, btChild, top, height, flags);
    };
    constexpr quint16 kGrowing = quint16(flStretched) | quint16(flBreaked);
    b.text(QStringLiteral("FormBasligi"), QStringLiteral("ÜYE KAYIT FORMU"), kMargin, 44, 420, 30, 16, fsBold);
    TqpMemoView *date = b.text(QStringLiteral("BaskiTarihi"), QStringLiteral("Baskı tarihi: [DATE]"),
                               kMargin + kContentWidth - 260, 50, 260, 20, 9, 0, qptaRight);
    date->Format = kCustomDate;
    date->FormatStr = kDatePicture;
    b.rule(QStringLiteral("UstCizgi"), 82);

    // Details beside the photograph.
    constexpr int besidePhoto = kContentWidth - 135;
    b.picture(QStringLiteral("Resim"), field(QStringLiteral("Resim")), kMargin + kContentWidth - 120, 96, 120, 150);
    b.heading(QStringLiteral("UyeBilgileri"), QStringLiteral("Üye Bilgileri"), 96, besidePhoto);
    int y = 124;
    const auto next = [&y](int step = 22) {
        const int top = y;
        y += step;
        return top;
    };
    b.row(QStringLiteral("KayitNo"), QStringLiteral("Kayıt No:"), field(QStringLiteral("KayitNo")), next(), besidePhoto)
        ->Format = kWholeNumber;
    TqpMemoView *tarih = b.row(QStringLiteral("Tarih"), QStringLiteral("Müracaat Tarihi:"),
                               field(QStringLiteral("Tarih")), next(), besidePhoto);
    tarih->Format = kCustomDate;
    tarih->FormatStr = kDatePicture;
    const QList<QPair<QString, QString>> personal = {
        {QStringLiteral("KimlikNo"), QStringLiteral("Kimlik No:")},
        {QStringLiteral("AdiSoyadi"), QStringLiteral("Adı Soyadı:")},
        {QStringLiteral("BabaAdi"), QStringLiteral("Baba Adı:")},
        {QStringLiteral("AnaAdi"), QStringLiteral("Ana Adı:")},
        {QStringLiteral("Uyrugu"), QStringLiteral("Uyruğu:")},
        {QStringLiteral("KanGrubu"), QStringLiteral("Kan Grubu:")},
        {QStringLiteral("Dyeri"), QStringLiteral("Doğum Yeri:")},
    };
    for (const auto &[name, label] : personal)
        b.row(name, label, field(name), next(), besidePhoto);
    b.row(QStringLiteral("Dyili"), QStringLiteral("Doğum Yılı:"), field(QStringLiteral("Dyili")), next(), besidePhoto)
        ->Format = kWholeNumber;
    const QList<QPair<QString, QString>> phones = {
        {QStringLiteral("EvTel"), QStringLiteral("Ev Telefonu:")},
        {QStringLiteral("IsTel"), QStringLiteral("İş Telefonu:")},
        {QStringLiteral("Gsm"), QStringLiteral("Gsm:")},
    };
    for (const auto &[name, label] : phones)
        b.row(name, label, field(name), next(), kContentWidth);
    for (const auto &[name, label] : {QPair<QString, QString>{QStringLiteral("EvAdresi"), QStringLiteral("Ev Adresi:")},
                                      QPair<QString, QString>{QStringLiteral("IsAdresi"), QStringLiteral("İş Adresi:")}}) {
        chain(name + QStringLiteral("Bandi"), y, 41, kGrowing);
        TqpMemoView *address = b.row(name, label, field(name), next(42), kContentWidth);
        address->Height = 38;
        address->Alignment = 0; // addresses run from the top of their box
        address->Flags = quint16(flStretched) | quint16(flWordWrap);
    }
    chain(QStringLiteral("NufusBandi"), y, 1000);

    y += 10;
    b.heading(QStringLiteral("NufusBilgileri"), QStringLiteral("Nüfus Hüviyet Bilgileri"), next(28));
    const QList<QPair<QString, QString>> registry = {
        {QStringLiteral("Vilayet"), QStringLiteral("Vilayeti / İli:")},
        {QStringLiteral("Kazasi"), QStringLiteral("Kazası / İlçesi:")},
        {QStringLiteral("Nahiyesi"), QStringLiteral("Nahiyesi:")},
        {QStringLiteral("Mahalle"), QStringLiteral("Mahalle:")},
        {QStringLiteral("Sokak"), QStringLiteral("Sokak:")},
        {QStringLiteral("EvNo"), QStringLiteral("Ev No:")},
        {QStringLiteral("CiltNo"), QStringLiteral("Cilt No:")},
        {QStringLiteral("SayfaNo"), QStringLiteral("Sayfa No:")},
        {QStringLiteral("MedeniHali"), QStringLiteral("Medeni Hali:")},
        {QStringLiteral("Referans"), QStringLiteral("Referans:")},
    };
    for (const auto &[name, label] : registry)
        b.row(name, label, field(name), next(), kContentWidth);

    y += 10;
    b.heading(QStringLiteral("AidatBilgileri"), QStringLiteral("Aidat Bilgileri"), next(28));
    TqpMemoView *aidatTar = b.row(QStringLiteral("AidatTar"), QStringLiteral("Aidat Tarihi:"),
                                  field(QStringLiteral("AidatTar")), next(), kContentWidth);
    aidatTar->Format = kCustomDate;
    aidatTar->FormatStr = kDatePicture;
    for (const auto &[name, label] : {QPair<QString, QString>{QStringLiteral("Aidat"), QStringLiteral("Aidat:")},
                                      QPair<QString, QString>{QStringLiteral("Alinan"), QStringLiteral("Alınan:")},
                                      QPair<QString, QString>{QStringLiteral("Kalan"), QStringLiteral("Kalan:")}})
        b.row(name, label, field(name) + QStringLiteral(" TL"), next(), kContentWidth)->Format = kMoney;
    chain(QStringLiteral("NotBandi"), y, 21, kGrowing);
    TqpMemoView *note = b.row(QStringLiteral("Not"), QStringLiteral("Not:"), field(QStringLiteral("Not")), next(),
                              kContentWidth);
    note->Alignment = 0;
    note->Flags = quint16(flStretched) | quint16(flWordWrap);

    // The dues history: a sub-report over the member's dues on page 2.
    y += 10;
    chain(QStringLiteral("AidatGecmisiBandi"), y, 60);
    b.heading(QStringLiteral("AidatGecmisi"), QStringLiteral("Aidat Geçmişi"), next(28));
    b.subReport(QStringLiteral("AidatAltRaporu"), 1, kMargin, next(), kContentWidth, 20);
    last->Height = y - last->Top;
    addDuesPage(b);
}

void qpBuildMemberList(TqpReport &report)
{
    Builder b(report);
    report.Title = QStringLiteral("Üye Listesi");
    // Two passes so that every page can say how many pages there are.
    report.DoublePassReport = true;

    // Columns of the list, side by side across the content width: field,
    // caption, width, alignment; the left edges follow.
    struct Column {
        QString name, caption;
        int width, alignment;
        int left = 0;
    };
    QList<Column> columns = {
        {QStringLiteral("KayitNo"), QStringLiteral("Kayıt No"), 60, qptaRight},
        {QStringLiteral("AdiSoyadi"), QStringLiteral("Adı Soyadı"), 182, 0},
        {QStringLiteral("EvTel"), QStringLiteral("Ev Telefonu"), 92, 0},
        {QStringLiteral("Gsm"), QStringLiteral("Gsm"), 92, 0},
        // Room for a neighbourhood name of the field's full 30 characters.
        {QStringLiteral("Mahalle"), QStringLiteral("Mahalle"), 180, 0},
        {QStringLiteral("KanGrubu"), QStringLiteral("Kan Grubu"), 70, 0},
    };
    int left = kMargin;
    for (Column &c : columns) {
        c.left = left;
        left += c.width;
    }
    Q_ASSERT(left == kMargin + kContentWidth);

    b.band(QStringLiteral("SayfaBasi"), btPageHeader, kMargin, 76, flOnFirstPage);
    b.text(QStringLiteral("ListeBasligi"), QStringLiteral("ÜYE LİSTESİ"), kMargin, 42, 420, 30, 16, fsBold);
    TqpMemoView *date = b.text(QStringLiteral("BaskiTarihi"), QStringLiteral("Baskı tarihi: [DATE]"),
                               kMargin + kContentWidth - 260, 48, 260, 20, 9, 0, qptaRight);
    date->Format = kCustomDate;
    date->FormatStr = kDatePicture;
    for (const Column &c : columns) {
        TqpMemoView *caption = b.text(c.name + QStringLiteral("Baslik"), c.caption, c.left, 92, c.width, 22, 9,
                                      fsBold, c.alignment);
        caption->FillColor = kHeadingFill;
        caption->FrameTyp = qpftTop | qpftBottom;
    }

    b.band(QStringLiteral("MasterData1"), btMasterData, 130, 20)->FormatStr = QStringLiteral("qpDBDataSet1");
    for (const Column &c : columns) {
        TqpMemoView *cell = b.text(c.name, field(c.name), c.left, 130, c.width, 20, 9, 0, c.alignment);
        cell->FrameTyp = qpftBottom;
        cell->FrameColor = kRuleColour;
        if (c.name == QLatin1String("KayitNo"))
            cell->Format = kWholeNumber;
    }

    b.band(QStringLiteral("Ozet"), btReportSummary, 170, 30);
    TqpMemoView *count = b.text(QStringLiteral("UyeSayisi"), QStringLiteral("Toplam üye sayısı: [COUNT(MasterData1)]"),
                                kMargin, 176, kContentWidth, 22, 10, fsBold);
    count->FrameTyp = qpftTop;

    // The page footer sits on the bottom margin.
    constexpr int footerHeight = 30;
    constexpr int footerTop = kContentBottom - footerHeight;
    b.band(QStringLiteral("SayfaSonu"), btPageFooter, footerTop, footerHeight, flOnFirstPage | flOnLastPage);
    TqpMemoView *pageNo = b.text(QStringLiteral("SayfaNo"), QStringLiteral("Sayfa [PAGE#] / [TOTALPAGES]"), kMargin,
                                 footerTop + 6, kContentWidth, 20, 8, 0, qptaCenter);
    pageNo->FrameTyp = qpftTop;
    pageNo->FrameColor = kRuleColour;
}

void qpBuildDuesTable(TqpReport &report, int firstYear, int years)
{
    Builder b(report);
    report.Title = QStringLiteral("Aidat Tablosu");
    // Strips: the member's name, one column a year, the member's total.
    constexpr int nameWidth = 200, yearWidth = 70, totalWidth = 90;
    constexpr int yearLeft = kMargin + nameWidth, totalLeft = yearLeft + yearWidth;
    b.band(QStringLiteral("UyeSutunu"), btCrossHeader, 0, kSheetHeight, flRepeatHeader)
        ->SetBounds(kMargin, 0, nameWidth, kSheetHeight);
    b.band(QStringLiteral("YilSutunu"), btCrossData, 0, kSheetHeight)->SetBounds(yearLeft, 0, yearWidth, kSheetHeight);
    report.Pages.GetPages(0)->Items.last()->FormatStr = QString::number(years);
    b.band(QStringLiteral("ToplamSutunu"), btCrossFooter, 0, kSheetHeight)
        ->SetBounds(totalLeft, 0, totalWidth, kSheetHeight);

    // What the member paid in the column's year, summed for the totals.
    const QString paid = QStringLiteral("LOOKUPSUM('Table2.Alinan', 'Yil', %1 + COLUMN#)").arg(firstYear - 1);
    const QString sum = QStringLiteral("SUM(%1)").arg(paid);
    const auto cells = [&](const QString &row, int top, int height, const QString &name, const QString &year,
                           const QString &total, int style) {
        TqpMemoView *n = b.text(row + QStringLiteral("Ad"), name, kMargin, top, nameWidth, height, 9, style);
        TqpMemoView *y = b.text(row + QStringLiteral("Yil"), year, yearLeft, top, yearWidth, height, 9, style, qptaRight);
        TqpMemoView *t = b.text(row + QStringLiteral("Toplam"), total, totalLeft, top, totalWidth, height, 9,
                                fsBold, qptaRight);
        for (TqpMemoView *m : {n, y, t}) {
            m->FrameTyp = qpftBottom;
            m->FrameColor = kRuleColour;
            m->GapX = 4;
        }
        return QList<TqpMemoView *>{n, y, t};
    };

    b.band(QStringLiteral("SayfaBasi"), btPageHeader, kMargin, 40, flOnFirstPage);
    b.text(QStringLiteral("TabloBasligi"), QStringLiteral("AİDAT ÖDEMELERİ"), kMargin, 44, 420, 30, 16, fsBold);

    b.band(QStringLiteral("UstSatir"), btMasterHeader, 90, 22, flRepeatHeader);
    for (TqpMemoView *m : cells(QStringLiteral("Ust"), 90, 22, QStringLiteral("Üye"),
                                QStringLiteral("[%1 + COLUMN#]").arg(firstYear - 1), QStringLiteral("Toplam"), fsBold)) {
        m->FillColor = kHeadingFill;
        m->FrameTyp = qpftTop | qpftBottom;
    }

    b.band(QStringLiteral("UyeSatiri"), btMasterData, 120, 20)->FormatStr = QStringLiteral("qpDBDataSet1");
    const QList<TqpMemoView *> member = cells(QStringLiteral("Uye"), 120, 20, field(QStringLiteral("AdiSoyadi")),
                                              QStringLiteral("[%1]").arg(paid), QStringLiteral("[%1]").arg(sum), 0);
    member.at(1)->Flags |= flHideZeros; // a year not paid stays blank

    // Under each year the year's total; at the end of the row the totals of
    // the years summed once more.
    b.band(QStringLiteral("AltSatir"), btMasterFooter, 150, 22);
    for (TqpMemoView *m : cells(QStringLiteral("Alt"), 150, 22, QStringLiteral("Yıl toplamı"),
                                QStringLiteral("[%1]").arg(sum), QStringLiteral("[SUM(%1)]").arg(sum), fsBold)) {
        m->FrameTyp = qpftTop | qpftBottom;
    }
    for (TqpView *v : std::as_const(report.Pages.GetPages(0)->Items))
        if (auto *m = dynamic_cast<TqpMemoView *>(v); m && m->Memo.join(QString()).contains(QLatin1String("LOOKUPSUM")))
            m->Format = kMoney;
}

void qpWriteMemberTemplates(const QString &folder)
{
    const QDir dir(folder);
    TqpReport form, list;
    qpBuildMemberForm(form);
    form.SaveToFile(dir.filePath(QStringLiteral("UyeForm.qpf")));
    qpBuildMemberList(list);
    list.SaveToFile(dir.filePath(QStringLiteral("UyeList.qpf")));
}
