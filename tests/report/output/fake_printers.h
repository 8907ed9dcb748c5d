#pragma once
// A platform with scripted printers, 600 dpi and A4 by default, that records
// what reaches it: every settings block written, and every print job with
// its printer, title, copy count, paper and the texts drawn on each page.

#include "canvas.h"
#include "platform_printers.h"

#include <QImage>
#include <functional>
#include <memory>

class FakePrinters : public TqpPlatformPrinters {
public:
    QStringList names{QStringLiteral("Ofis"), QStringLiteral("Depo")};
    int current = 1;
    bool printing = false;  // a job of someone else is running
    bool readable = true;   // false: no printer's settings can be read
    QList<int> unreadable;  // printers whose settings cannot be read
    bool refuseJobs = false;
    DeviceMode mode;
    QList<DeviceMode> written;

    struct Job {
        QString printer, title;
        int copies = 0;
        DeviceMode paper;
        QList<QList<TCanvas::TextRecord>> pages; // the texts drawn on each sheet
        bool ended = false, aborted = false;
        QStringList texts(int page) const
        {
            QStringList list;
            for (const TCanvas::TextRecord &r : pages.at(page))
                list << r.text;
            return list;
        }
    };
    QList<Job> jobs;
    // Runs once a job has begun, as a printer driver's own activity would.
    std::function<void()> onBeginJob;

    QStringList printerNames() override { return names; }
    int currentIndex() override { return current; }
    void setCurrentIndex(int i) override { current = i; }
    bool isPrinting() override { return printing || m_canvas; }
    QString deviceName() override { return names.value(current); }
    QString driverName() override { return QStringLiteral("sürücü"); }
    QString portName() override { return QStringLiteral("usb"); }
    std::optional<DeviceMode> deviceMode() override
    {
        return readable && !unreadable.contains(current) ? std::optional(mode) : std::nullopt;
    }
    bool setDeviceMode(const DeviceMode &m) override
    {
        written << m;
        mode = m;
        return true;
    }
    std::optional<Geometry> geometry() override
    {
        if (!deviceMode())
            return std::nullopt;
        Geometry g{600, 600, 4961, 7016, 100, 120, 4761, 6776};
        if (mode.orientation == 2) {
            std::swap(g.physicalWidth, g.physicalHeight);
            std::swap(g.printableWidth, g.printableHeight);
        }
        return g;
    }
    CodeList papers() override
    {
        return {{9, QStringLiteral("A4")}, {11, QStringLiteral("A5")}, {256, QStringLiteral("Özel")}};
    }
    CodeList sources() override { return {{7, QStringLiteral("Otomatik")}, {4, QStringLiteral("Elle besleme")}}; }
    bool propertiesDialog(DeviceMode &m) override
    {
        m.orientation = 2;
        return true;
    }

    void setJobTitle(const QString &title) override { m_title = title; }
    TCanvas *beginJob() override
    {
        if (refuseJobs || m_canvas)
            return nullptr;
        Job job;
        job.printer = deviceName();
        job.title = m_title;
        job.copies = mode.copies;
        job.paper = mode;
        job.pages.append(QList<TCanvas::TextRecord>());
        jobs.append(job);
        // Only the records matter: a small surface is enough.
        m_canvas = std::make_unique<TCanvas>(&m_surface);
        m_canvas->IsPrinter = true;
        m_canvas->setRecording(true);
        if (onBeginJob)
            onBeginJob();
        return m_canvas.get();
    }
    void newPage() override
    {
        takeRecords();
        jobs.last().pages.append(QList<TCanvas::TextRecord>());
    }
    void endJob() override { close(false); }
    void abortJob() override { close(true); }

private:
    void takeRecords()
    {
        jobs.last().pages.last() = m_canvas->texts();
        m_canvas->clearRecords();
    }
    void close(bool aborted)
    {
        if (!m_canvas)
            return;
        takeRecords();
        (aborted ? jobs.last().aborted : jobs.last().ended) = true;
        m_canvas.reset();
    }

    QString m_title;
    QImage m_surface{64, 64, QImage::Format_RGB32};
    std::unique_ptr<TCanvas> m_canvas;
};
