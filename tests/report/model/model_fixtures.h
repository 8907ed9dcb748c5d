#pragma once
// Stand-ins for the report, its template pages and a band kind, so that the
// object model can be exercised before those parts exist.

#include "report/core/conversions.h"
#include "report/model/memo_view.h"
#include "report/model/report_links.h"

#include <QHash>
#include <functional>
#include <memory>
#include <vector>

class TestPage : public TqpPageBase {
public:
    QList<TqpView *> objects;
    int leftMargin = 0, rightMargin = 700;
    bool visible = true;
    ~TestPage() override { qDeleteAll(objects); }
    const QList<TqpView *> &Objects() const override { return objects; }
    int LeftMargin() const override { return leftMargin; }
    int RightMargin() const override { return rightMargin; }
    int SheetWidth() const override { return 750; }
    int SheetHeight() const override { return 1060; }
    void SetPropValue(const QString &name, const Variant &v) override
    {
        if (qpUpperCase(name) == QLatin1String("VISIBLE"))
            visible = v.toBool();
    }
    void DefineProperties() override { AddProperty(QStringLiteral("Visible"), 0); }
};

// A band object as the band kind will be: type code 2, base name "Band".
class TestBand : public TqpView {
public:
    TestBand()
    {
        Kind = vkBand;
        BaseName = QStringLiteral("Band");
    }
    QString ClassName() const override { return QStringLiteral("TestBand"); }
    void Draw(TCanvas *) override {}
};

// A band of page formation at a fixed place.
class TestRunBand : public TqpBandBase {
public:
    int top = 0, height = 0, width = 0, type = 5;
    int BandTop() const override { return top; }
    int CalculatedHeight() const override { return height; }
    int BandWidth() const override { return width; }
    int BandType() const override { return type; }
    bool IsStretched() const override { return false; }
};

class TestReport : public TqpReportBase {
public:
    std::vector<std::unique_ptr<TestPage>> pages;
    QHash<QString, TqpView *> names; // upper-case name -> object
    std::function<QString(const QString &)> value = [](const QString &expr) { return expr; };
    int valueCalls = 0;
    bool countingPass = false;
    QList<QString> exported; // lines handed to the export filter

    TestPage &page(int i = 0)
    {
        while (int(pages.size()) <= i)
            pages.push_back(std::make_unique<TestPage>());
        return *pages[i];
    }
    // Names the object the way the designer does and puts it on a page.
    template<typename T>
    T *add(int pageIndex = 0)
    {
        T *v = new T;
        v->CreateUniqueName();
        page(pageIndex).objects.append(v);
        names.insert(qpUpperCase(v->Name), v);
        return v;
    }
    TqpView *FindObject(const QString &name) const override { return names.value(qpUpperCase(name)); }
    TqpObject *PageAt(int index) const override
    {
        return index >= 0 && index < int(pages.size()) ? pages[index].get() : nullptr;
    }
    void InternalOnGetValue(const QString &name, QString &text) override
    {
        ++valueCalls;
        text = value(name);
    }
    void InternalOnExportText(const TRect &, int, TqpView *, int, const QString &line, int) override
    {
        exported.append(line);
    }
    bool CountingPass() const override { return countingPass; }
};
