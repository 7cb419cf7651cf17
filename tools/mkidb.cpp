// Builds the template database from the schema file: mkidb schema.sql output.idb
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkidb schema.sql output.idb\n");
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkidb: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(schema.readAll());
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString tmp = out + ".tmp";
    QFile::remove(tmp);
    int rc = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mkidb");
        db.setDatabaseName(tmp);
        if (!db.open()) {
            std::fprintf(stderr, "mkidb: %s\n", qPrintable(db.lastError().text()));
            return 1;
        }
        QString statement;
        for (const QString& line : text.split('\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith("--"))
                continue;
            statement += line + '\n';
            if (trimmed.endsWith(';')) {
                QSqlQuery q(db);
                if (!q.exec(statement)) {
                    std::fprintf(stderr, "mkidb: %s\n%s\n", qPrintable(q.lastError().text()), qPrintable(statement));
                    rc = 1;
                    break;
                }
                statement.clear();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("mkidb");
    if (rc != 0)
        return rc;
    QFile::remove(out);
    if (!QFile::rename(tmp, out)) {
        std::fprintf(stderr, "mkidb: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
