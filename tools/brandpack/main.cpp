// brandpack: writes a brand archive from XML definition files and images.
//
//   brandpack <archive> <member>=<source file> ...
//
// Each argument after the archive adds the source file as the archive member of that name.
// Members whose name ends in "xml" hold brand definitions; the others are images.

#include "tools/brandpack/brandpacker.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int fail(const QStringList& errors)
{
    for (const QString& error : errors)
        std::fprintf(stderr, "brandpack: %s\n", qUtf8Printable(error));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() < 2)
        return fail({QStringLiteral("usage: brandpack <archive> <member>=<source file> ...")});

    BrandPacker packer;
    for (const QString& argument : arguments.mid(1)) {
        const qsizetype separator = argument.indexOf(QLatin1Char('='));
        if (separator <= 0 || separator == argument.size() - 1)
            return fail({QStringLiteral("\"%1\" is not of the form <member>=<source file>").arg(argument)});
        packer.addMember(argument.left(separator), argument.mid(separator + 1));
    }
    if (!packer.check() || !packer.write(arguments.first()))
        return fail(packer.errors());
    return 0;
}
