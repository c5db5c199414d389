#pragma once
// A PostgreSQL server of the test's own: initdb into a temporary folder, postgres listening on
// a free loopback port, trust authentication, stopped and removed with the object. Run as root
// (CI), the server runs as the unprivileged "postgres" user (or "nobody").

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

class PostgresServer {
public:
    PostgresServer() {
        bin_ = FindBinDir();
        if (bin_.isEmpty()) return;
        char pattern[] = "/tmp/quarzel-pg-XXXXXX";
        if (!mkdtemp(pattern)) return;
        root_ = pattern;
        QFile::setPermissions(root_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                         QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        data_ = root_ + "/data";
        QDir().mkpath(data_);
        if (geteuid() == 0) {
            for (const char* name : {"postgres", "nobody"}) {
                if (const passwd* pw = getpwnam(name)) {
                    user_ = name;
                    if (chown(data_.toLocal8Bit().constData(), pw->pw_uid, pw->pw_gid) != 0) user_.clear();
                    break;
                }
            }
            if (user_.isEmpty()) return;
        }
        if (!RunTool("initdb", {"-D", data_, "-A", "trust", "-U", "quarzel", "--no-sync", "-E", "UTF8",
                                "--locale=C"}))
            return;
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0)) return;
        port_ = probe.serverPort();
        probe.close();
        ready_ = Start();
    }
    ~PostgresServer() {
        Stop();
        if (!root_.isEmpty()) QDir(root_).removeRecursively();
    }

    bool Available() const { return !bin_.isEmpty(); }
    bool Ready() const { return ready_; }
    const std::string& Log() const { return log_; }
    std::string ConnectionString() const {
        return "host=127.0.0.1 port=" + std::to_string(port_) + " dbname=postgres user=quarzel";
    }

    // Fast shutdown: open transactions are rolled back, clients are cut off.
    void Stop() {
        if (!running_) return;
        RunTool("pg_ctl", {"stop", "-D", data_, "-m", "fast", "-w", "-t", "60"});
        running_ = false;
    }
    bool Start() {
        if (running_) return true;
        const QString options = "-p " + QString::number(port_) + " -k " + data_ +
                                " -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off";
        running_ = RunTool("pg_ctl", {"start", "-D", data_, "-w", "-t", "60", "-l", data_ + "/server.log", "-o", options});
        return running_;
    }

private:
    static QString FindBinDir() {
        if (const char* env = std::getenv("QUARZEL_PG_BIN")) return env;
        const QStringList versions = QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
            const QString dir = "/usr/lib/postgresql/" + *it + "/bin";
            if (QFile::exists(dir + "/postgres") && QFile::exists(dir + "/initdb")) return dir;
        }
        const QString initdb = QStandardPaths::findExecutable("initdb");
        return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
    }
    void Launch(QProcess& p, const QString& tool, const QStringList& args) {
        if (user_.isEmpty()) {
            p.start(bin_ + "/" + tool, args);
        } else {
            QStringList all = {"-u", user_, "--", bin_ + "/" + tool};
            all += args;
            p.setWorkingDirectory(root_);
            p.start("runuser", all);
        }
    }
    bool RunTool(const QString& tool, const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        Launch(p, tool, args);
        if (!p.waitForFinished(120000)) return false;
        log_ += p.readAll().toStdString();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString bin_, root_, data_, user_;
    int port_ = 0;
    bool ready_ = false;
    bool running_ = false;
    std::string log_;
};
