#pragma once
// The mails and mailboxes of the stand-in client, as files on disk: one
// "*.eml" file per mail inside its folder's directory, one "Mailbox.ini"
// per mailbox directory.

#include <string>
#include <vector>

namespace standin::app {

struct MailSummary {
    std::string fileName;  // inside the folder's directory
    std::string subject;
    std::string from;
    std::string date;
};

struct MailboxEntry {
    std::string id;           // "MB1\"
    std::string displayName;  // [Account] "Name", or the directory name
};

std::vector<MailboxEntry> ListMailboxes(const std::string& dataFolder);
std::vector<MailSummary> ReadMails(const std::string& folderPath);
int CountMails(const std::string& folderPath);
// The first lines of a mail's body, for the preview pane.
std::string ReadMailText(const std::string& path);

// Moves or copies the files into the folder under free names; returns how
// many arrived.
int TransferMails(const std::string& fromFolder, const std::vector<std::string>& fileNames,
                  const std::string& toFolder, bool copy);

}  // namespace standin::app
