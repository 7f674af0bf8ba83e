#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

// The import of the data of an older installation, tried when a user has no diary yet. It asks
// through the question that the caller set, who shows it: whether to take the older file over
// (Importable), or that it cannot be (OlderFormat: the answer is not used). Without a question
// nothing is imported.
class PreviousDataImport
{
    Q_DECLARE_TR_FUNCTIONS(PreviousDataImport)

public:
    enum class Found { Importable, OlderFormat };
    using Question = std::function<bool(Found found, const QString& path)>;
    static void setQuestion(Question question);
    // False when nothing was imported; `reason` then says why data the user chose to take over
    // could not be copied (empty when there was none, or the user declined).
    static bool run(QString* reason = nullptr);
    static bool importSQLite(const QString& folder, QString* reason = nullptr);
    static bool importCodebase(const QString& folder);

private:
    static Question s_question;
};
