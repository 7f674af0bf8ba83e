#pragma once

#include <QCoreApplication>

#include <string>

// The steps that bring a diary of an earlier format, on the running connection, up to the
// current one: one transaction a step, each writing the version it reached. A step that fails
// throws BXException and leaves the file at the version before it.
class UpgradeChain
{
    Q_DECLARE_TR_FUNCTIONS(UpgradeChain)

public:
    // Runs every step from the stored version on; false with the step's reason when one failed
    // or the diary's format is none that the chain starts from.
    static bool run(std::string& error);
    // Makes the tables of a diary of the current format that the upgrade of an earlier build
    // left declared as their earlier format wrote them again as the program declares them, rows
    // kept, in one transaction; the format stays, so that earlier builds still read the file.
    static bool rebuildToOwn(std::string& error);

    // Rebuilds the table with the extra column in front (NULL for existing rows); a no-op if
    // the column is already there. Throws BXException.
    static void addColumn(const char* table, const char* column, const char* type);
    // Writes the schema version and the application version; throws BXException.
    static void upgradeSchema(int version);

    static void upgrade204to205();
    static void upgrade205to206();
    static void upgrade206to300();
    static void upgrade300to301();
    static void upgrade301to302();
    static void upgrade302to303();
    static void upgrade303to304();
    static void upgrade304or305to306();
    static void upgrade306to307();
    static void upgrade307to308();
    static void upgrade308to309();
    static bool upgrade308to309_setDefaultTargetSizes();
    static void upgrade309to310();
    static void upgrade310to411();
    static void upgrade411to412();
};
