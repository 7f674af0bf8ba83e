#pragma once

// Printing in tests: print steps that send the job to a PDF file at 72 dots per inch and
// answer the preview and the print dialog from a script, and readers of the PDF pages
// (poppler's pdftotext, pdfinfo and pdftoppm).

#include "reports/printsteps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

class ReportFactory;

class PdfPrintSteps : public PrintSteps
{
public:
    explicit PdfPrintSteps(const QString& pdfPath = QDir::homePath() + QStringLiteral("/print.pdf"))
        : pdfPath(pdfPath)
    {
        QFile::remove(pdfPath);
        PrintSteps::install(this);
    }
    ~PdfPrintSteps() override { PrintSteps::install(nullptr); }
    PdfPrintSteps(const PdfPrintSteps&) = delete;
    PdfPrintSteps& operator=(const PdfPrintSteps&) = delete;

    bool preview(QWidget*, ReportFactory* factory) override
    {
        ++previews;
        return onPreview ? onPreview(factory) : previewPrints;
    }
    bool setupPrinter(QWidget*, QPrinter& printer) override
    {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        printer.setResolution(72);
        return dialogAccepts;
    }
    void jobFailed(QWidget*, const QString& why) override
    {
        ++failures;
        told = why;
    }

    QString pdfPath;
    bool previewPrints = true;
    bool dialogAccepts = true;
    // Runs in place of the preview when set; its answer is the user's choice.
    std::function<bool(ReportFactory*)> onPreview;
    int previews = 0;
    int dialogs = 0;
    int failures = 0;
    // What the last failure told.
    QString told;
};

namespace PdfReader {

inline QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of one page (counted from 1), laid out as on the page.
inline QString pageText(const QString& pdf, int page)
{
    return run(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
}

inline QString info(const QString& pdf, const QString& field)
{
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field),
                                  QRegularExpression::MultilineOption);
    return line.match(run(QStringLiteral("pdfinfo"), {pdf})).captured(1).trimmed();
}

inline int pageCount(const QString& pdf)
{
    return info(pdf, QStringLiteral("Pages")).toInt();
}

// The first page's size in points.
inline QSizeF pageSize(const QString& pdf)
{
    const QRegularExpression size(QStringLiteral("([\\d.]+) x ([\\d.]+) pts"));
    const auto match = size.match(info(pdf, QStringLiteral("Page size")));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

// Saves every page as <build>/widget-pictures/<name>-<n>.png for a person to look at.
inline void savePictures(const QString& pdf, const QString& name)
{
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                           + QStringLiteral("/../widget-pictures"));
    QDir().mkpath(folder);
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), pdf,
         folder + QLatin1Char('/') + name});
}

} // namespace PdfReader

// Page breaks depend on the glyph widths of the report font: Arial must resolve to a font
// of Arial's metrics, or every measured layout moves.
inline bool arialHasItsMetrics()
{
    const QString family = QFontInfo(QFont(QStringLiteral("Arial"))).family();
    return family == QStringLiteral("Liberation Sans") || family == QStringLiteral("Nimbus Sans");
}
