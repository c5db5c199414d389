#include "DesktopArchive.h"

DesktopArchive::DesktopArchive(Report report)
    : report_(std::move(report)),
      archive_([this](const std::string& text) { report_("Result archive: " + text); },
               [this](const ArchiveTarget& target) { uploader_.Request(target.localPath, target.server); }) {
    QObject::connect(&uploader_, &ResultUploader::Sent, &uploader_, [this](int sent, int left, const QString& error) {
        if (!error.isEmpty())
            report_("Result archive: " + std::to_string(left) + (left == 1 ? " run waits" : " runs wait") +
                    " for the server (" + error.toStdString() + ")");
        else if (sent > 0)
            report_("Result archive: " + std::to_string(sent) + (sent == 1 ? " run" : " runs") + " sent to the server");
    });
    SetRunArchive(&archive_);
}

DesktopArchive::~DesktopArchive() {
    if (CurrentRunArchive() == &archive_) SetRunArchive(nullptr);
}

void DesktopArchive::SendQueued() {
    const ArchiveTarget target = ArchiveTargetFor(AppConfiguration());
    if (!target.off && !target.server.empty()) uploader_.Request(target.localPath, target.server);
}
