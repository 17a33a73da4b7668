// Makes the shipped main database from the schema: kelm-mkdb <path>.
#include "platform/database.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelm-mkdb <path of the new database>\n");
        return 2;
    }
    try {
        kelm::createDatabaseFromSchema(QString::fromLocal8Bit(argv[1]));
    } catch (const kelm::DbError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
