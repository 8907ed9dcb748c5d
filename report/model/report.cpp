#include "report/model/report.h"

#include "data/dataset.h"
#include "data/field.h"
#include "report/core/conversions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/model/model_errors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

TqpReportUi qpReportUi;
TqpProgressUi qpProgressUi;
std::function<int(TqpReport *report)> qpDesignerHook;
std::function<void(TqpReport *report, int pageIndex)> qpPageEditHook;

namespace {

TqpCompressor theCompressor;

constexpr quint8 kEndOfPages = 252;
// A first byte up to this value is no version byte: the stream is version 21.
constexpr quint8 kLastUnversioned = 20;
constexpr int kMsgNoName = 55209, kMsgBadFormat = 55345, kMsgCaption = 55206;

void errorBox(const QString &text)
{
    const QString caption = qpLoadStr(kMsgCaption);
    if (qpReportUi.ErrorBox)
        qpReportUi.ErrorBox(text, caption);
    else
        qWarning("%s: %s", qPrintable(caption), qPrintable(text));
}

// Attribute texts: u16 length and the bytes, without a terminating byte.
void writeAttribute(QIODevice &s, const QByteArray &bytes)
{
    if (bytes.size() > 0xFFFF)
        throw EWriteError(qpLoadStr(qpMsgStringTooLong).arg(bytes.size()));
    qpWriteWord(s, quint16(bytes.size()));
    if (s.write(bytes) != bytes.size())
        throw EWriteError(s.errorString());
}

QByteArray readAttribute(QIODevice &s)
{
    const int n = qpReadWord(s);
    const QByteArray bytes = s.read(n);
    if (bytes.size() != n)
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    return bytes;
}

void writeDouble(QIODevice &s, double v)
{
    char b[8];
    qToLittleEndian(std::bit_cast<quint64>(v), b);
    if (s.write(b, 8) != 8)
        throw EWriteError(s.errorString());
}

double readDouble(QIODevice &s)
{
    char b[8];
    if (s.read(b, 8) != 8)
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    return std::bit_cast<double>(qFromLittleEndian<quint64>(b));
}

// The password as the file keeps it: every byte as two upper-case hex digits.
QByteArray decodePassword(const QByteArray &hex)
{
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        bool ok = false;
        const int b = hex.mid(i, 2).toInt(&ok, 16);
        if (!ok)
            throw EReadError(qpLoadStr(qpMsgStreamRead));
        bytes.append(char(b));
    }
    return bytes;
}

void writeFileAtomically(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(fileName, file.errorString()));
}

void openForReading(QFile &file)
{
    if (!file.open(QIODevice::ReadOnly))
        throw EqpError(qpLoadStr(qpMsgFileNotRead).arg(file.fileName(), file.errorString()));
}

// Document number in the first field, template in the second.
void checkTemplateTable(const TDataSet *dataSet)
{
    if (dataSet->FieldCount() < 2)
        throw EqpError(qpLoadStr(qpMsgNoTemplateFields));
}

bool findDocument(TDataSet *dataSet, int docNumber)
{
    checkTemplateTable(dataSet);
    dataSet->First();
    while (!dataSet->Eof() && dataSet->Fields().at(0)->Value().toInt() != docNumber)
        dataSet->Next();
    return !dataSet->Eof();
}

} // namespace

TqpCompressor *qpCompressor = &theCompressor;

double qpNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return qpEncodeDateTime(now.date(), now.time());
}

TqpReport::TqpReport(QObject *owner) : QObject(owner), FileName(qpLoadStr(kMsgNoName))
{
    ClearAttribs();
}

TqpReport::~TqpReport()
{
    DisconnectParserCallbacks();
    if (CurReport == this)
        CurReport = nullptr;
    if (MasterReport == this)
        MasterReport = nullptr;
}

void TqpReport::resetAttributes()
{
    Description.clear();
    ReportName.clear();
    Author.clear();
    VersionMajor.clear();
    VersionMinor.clear();
    VersionRelease.clear();
    VersionBuild.clear();
    Password.clear();
    CreateDate = LastChange = qpNow();
    PasswordProtected = false;
}

void TqpReport::Clear()
{
    Pages.Clear();
    Dictionary.Clear();
    DoublePassReport = false;
    resetAttributes();
}

void TqpReport::ClearAttribs()
{
    resetAttributes();
    ReportMarker = qpReportMarker;
}

void TqpReport::LoadFromStream(QIODevice &s)
{
    DocMode = dmDesigning;
    // Pages ask the printer for their paper: wait until it has started.
    while (!qpThreadDone)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    CurReport = this;
    Dictionary.Clear();
    if (s.size() == 0)
        return;
    quint8 version = 0;
    if (!s.getChar(reinterpret_cast<char *>(&version)))
        return;
    if (version <= kLastUnversioned) {
        version = 21;
        s.seek(0);
    }
    qpVersion = version;
    ErrorFlag = false;
    ErrorStr.clear();
    if (version > qpCurrentVersion) {
        errorBox(qpLoadStr(kMsgBadFormat));
        return;
    }
    try {
        Pages.LoadFromStream(s);
        if (s.pos() < s.size())
            readAttributes(s);
        else
            ClearAttribs();
        if (PasswordProtected)
            askPassword(s);
    } catch (const EClassNotFound &e) {
        errorBox(qpLoadStr(qpMsgNonPlugged) + QLatin1Char('\r') + e.message() + qpLoadStr(qpMsgIncludeComponents));
    } catch (const std::exception &) {
        errorBox(qpLoadStr(kMsgBadFormat));
        Pages.Clear();
        Pages.Add();
    }
}

void TqpReport::askPassword(const QIODevice &stream)
{
    // Templates read through memory (blob fields, table rows, the stored
    // form) are trusted; files are asked for.
    if (qobject_cast<const QBuffer *>(&stream))
        return;
    QString typed;
    if (qpReportUi.AskPassword && qpReportUi.AskPassword(typed) && typed == Password)
        return;
    ClearAttribs();
    FileName = qpLoadStr(kMsgNoName);
    Pages.Clear();
    Pages.Add();
}

void TqpReport::readAttributes(QIODevice &s)
{
    for (QString *text : {&Description, &ReportName, &Author, &VersionMajor, &VersionMinor, &VersionRelease,
                          &VersionBuild})
        *text = qpFromAnsi(readAttribute(s));
    Password = qpFromAnsi(decodePassword(readAttribute(s)));
    ReportMarker = qpReadByte(s);
    PasswordProtected = qpReadByte(s) != 0;
    CreateDate = readDouble(s);
    LastChange = readDouble(s);
}

void TqpReport::writeAttributes(QIODevice &s)
{
    for (const QString *text : {&Description, &ReportName, &Author, &VersionMajor, &VersionMinor, &VersionRelease,
                                &VersionBuild})
        writeAttribute(s, qpToAnsi(*text));
    const QByteArray password = qpToAnsi(Password);
    if (password.size() > 0x7FFF)
        throw EWriteError(qpLoadStr(qpMsgStringTooLong).arg(password.size() * 2));
    writeAttribute(s, password.toHex().toUpper());
    qpWriteByte(s, ReportMarker);
    qpWriteByte(s, PasswordProtected ? 1 : 0);
    writeDouble(s, CreateDate);
    LastChange = qpNow();
    writeDouble(s, LastChange);
}

void TqpReport::SaveToStream(QIODevice &s)
{
    CurReport = this;
    if (SavingQP3) {
        Pages.SaveToStream(s);
        return;
    }
    qpVersion = qpCurrentVersion;
    qpWriteByte(s, quint8(qpCurrentVersion));
    Pages.SaveToStream(s);
    qpWriteByte(s, kEndOfPages);
    ReportMarker = qpReportMarker;
    writeAttributes(s);
}

bool TqpReport::LoadFromFile(const QString &fileName)
{
    if (!QFile::exists(fileName))
        return false;
    QFile file(fileName);
    openForReading(file);
    LoadFromStream(file);
    FileName = fileName;
    return true;
}

void TqpReport::SaveToFile(const QString &fileName)
{
    // The whole template is formed in memory first: the end positions are
    // patched backwards, and nothing reaches the disk unless it is complete.
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    SaveToStream(buffer);
    writeFileAtomically(fileName, buffer.data());
}

void TqpReport::SaveToQP3File(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString dir = fileName.left(fileName.size() - info.fileName().size());
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString target = dir + (dot < 0 ? name : name.left(dot)) + QLatin1String(".qp3");
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    SavingQP3 = true;
    try {
        SaveToStream(buffer);
    } catch (...) {
        SavingQP3 = false;
        throw;
    }
    SavingQP3 = false;
    writeFileAtomically(target, buffer.data());
}

void TqpReport::LoadFromBlobField(TField *field)
{
    QBuffer buffer;
    buffer.setData(field->Value().toByteArray());
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}

void TqpReport::SaveToBlobField(TField *field)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    SaveToStream(buffer);
    field->setValue(buffer.data());
}

void TqpReport::LoadFromDB(TDataSet *dataSet, int docNumber)
{
    if (findDocument(dataSet, docNumber))
        LoadFromBlobField(dataSet->Fields().at(1));
}

void TqpReport::SaveToDB(TDataSet *dataSet, int docNumber)
{
    if (findDocument(dataSet, docNumber))
        dataSet->Edit();
    else
        dataSet->Append();
    dataSet->Fields().at(0)->setValue(docNumber);
    SaveToBlobField(dataSet->Fields().at(1));
    dataSet->Post();
}

void TqpReport::SaveTemplate(const QString &fileName, const QStringList &description, const QImage &picture)
{
    CurReport = this;
    qpVersion = qpCurrentVersion;
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    qpWriteMemo(buffer, description);
    const qint64 placeholder = qpWriteEndPlaceholder(buffer);
    qpWriteByte(buffer, picture.isNull() ? 0 : 1);
    if (!picture.isNull() && !picture.save(&buffer, "BMP"))
        throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(fileName, QStringLiteral("BMP")));
    qpPatchEndPosition(buffer, placeholder);
    Pages.SaveToStream(buffer);
    writeFileAtomically(fileName, buffer.data());
}

void TqpReport::LoadTemplate(const QString &fileName, QStringList &description, QImage &picture, bool load)
{
    qpVersion = qpCurrentVersion;
    QFile file(fileName);
    openForReading(file);
    QStringList lines;
    qpReadMemo(file, lines);
    // The stored offset of the pages section also ends the picture.
    const qint64 pagesAt = qpReadEndPosition(file);
    const bool hasPicture = qpReadByte(file) != 0;
    QImage image;
    if (hasPicture && pagesAt > file.pos())
        image.loadFromData(file.read(pagesAt - file.pos()), "BMP");
    if (!load) {
        description = lines;
        picture = image;
        return;
    }
    CurReport = this;
    // What failed before (a build, an unknown class) is not this file's error.
    ErrorFlag = false;
    ErrorStr.clear();
    file.seek(pagesAt);
    Pages.LoadFromStream(file);
}

void TqpReport::SetPrinterTo(const QString &printerName)
{
    if (!PrintToDefault) {
        for (int i = 0; i < Prn->PrinterNames.size(); ++i)
            if (Prn->PrinterNames.at(i).compare(printerName, Qt::CaseInsensitive) == 0) {
                Prn->SetPrinterIndex(i);
                break;
            }
    }
    PrinterName = printerName;
}

QByteArray TqpReport::ReportForm()
{
    QBuffer form;
    form.open(QIODevice::WriteOnly);
    qpWriteInteger(form, qpCurrentVersion);
    if (StoreInDFM) {
        QBuffer tmpl;
        tmpl.open(QIODevice::ReadWrite);
        SaveToStream(tmpl);
        qpWriteInteger(form, qint32(tmpl.size()));
        form.write(tmpl.data());
    }
    return form.data();
}

void TqpReport::SetReportForm(const QByteArray &bytes)
{
    QBuffer form;
    form.setData(bytes);
    form.open(QIODevice::ReadOnly);
    qpReadInteger(form); // the version it was written with; not needed
    if (!StoreInDFM)
        return;
    const qint32 count = qpReadInteger(form);
    if (count < 0 || count > form.size() - form.pos())
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    if (!StoredTemplate)
        StoredTemplate = std::make_unique<QBuffer>();
    StoredTemplate->close();
    StoredTemplate->setData(form.read(count));
    StoredTemplate->open(QIODevice::ReadOnly);
}

void TqpReport::Loaded()
{
    if (StoreInDFM && StoredTemplate)
        LoadFromStream(*StoredTemplate);
    StoredTemplate.reset();
}

TqpView *TqpReport::FindObject(const QString &name) const
{
    for (int p = 0; p < Pages.GetCount(); ++p)
        for (TqpView *view : std::as_const(Pages.GetPages(p)->Items))
            if (qpSameName(view->Name, name))
                return view;
    return nullptr;
}

TqpObject *TqpReport::PageAt(int index) const
{
    return index >= 0 && index < Pages.GetCount() ? Pages.GetPages(index) : nullptr;
}

void TqpReport::InternalOnEnterRect(QStringList &lines, TqpView *view)
{
    // An object bound to a blob field (the member's photo) takes its content.
    if (view->SourceDataSet && !view->SourceField.isEmpty())
        if (auto *blob = dynamic_cast<TBlobField *>(view->SourceDataSet->FindField(view->SourceField)))
            view->GetBlob(blob);
    if (OnBeforePrint)
        OnBeforePrint(lines, view);
}

void TqpReport::InternalOnExportData(TqpView *view)
{
    if (ExportFilter)
        ExportFilter->OnData(view->Left, view->Top, view);
}

void TqpReport::InternalOnExportText(const TRect &drawRect, int x, TqpView *view, int frameTyp, const QString &line,
                                     int y)
{
    if (ExportFilter)
        ExportFilter->OnText(drawRect, x, y, line, frameTyp, view);
}
