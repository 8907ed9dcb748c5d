// Posts one member into the tables of the folder given, says so on stdout and
// then waits, so that a test can kill it the instant after the post.
#include "member_store.h"
#include "table.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    TTable members;
    members.DatabaseName = QString::fromLocal8Bit(argv[1]);
    members.TableName = QStringLiteral("Uye.db");
    MemberStore::ConfigureTable(members);
    members.Open();
    members.Append();
    members.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(MemberStore::NextKayitNo(members));
    members.FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QString::fromUtf8(argv[2]));
    members.Post();
    std::puts("posted");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
