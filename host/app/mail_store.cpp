#include "mail_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace standin::app {
namespace {

template <typename Visit>
void ForEachEntry(const std::string& pattern, Visit visit) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do visit(data);
    while (FindNextFileA(find, &data));
    FindClose(find);
}

std::string ReadHead(const std::string& path, std::size_t limit) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    bytes.resize(limit);
    bytes.resize(std::fread(&bytes[0], 1, limit, file));
    std::fclose(file);
    return bytes;
}

std::string HeaderValue(const std::string& mail, const char* name) {
    const std::string key = std::string("\n") + name + ": ";
    const std::string text = "\n" + mail;
    const std::size_t headerEnd = text.find("\r\n\r\n");
    const std::size_t at = text.find(key);
    if (at == std::string::npos || (headerEnd != std::string::npos && at > headerEnd)) return std::string();
    const std::size_t start = at + key.size();
    return text.substr(start, text.find_first_of("\r\n", start) - start);
}

std::string FreeName(const std::string& folder) {
    for (unsigned serial = 1;; ++serial) {
        char name[32];
        std::snprintf(name, sizeof(name), "%08u.eml", serial);
        if (GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) return name;
    }
}

}  // namespace

std::vector<MailboxEntry> ListMailboxes(const std::string& dataFolder) {
    std::vector<MailboxEntry> mailboxes;
    ForEachEntry(dataFolder + "*", [&](const WIN32_FIND_DATAA& data) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || data.cFileName[0] == '.') return;
        const std::string id = std::string(data.cFileName) + "\\";
        const std::string ini = dataFolder + id + "Mailbox.ini";
        if (GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        char name[256] = "";
        GetPrivateProfileStringA("Account", "Name", data.cFileName, name, sizeof(name), ini.c_str());
        mailboxes.push_back(MailboxEntry{id, name});
    });
    std::sort(mailboxes.begin(), mailboxes.end(),
              [](const MailboxEntry& a, const MailboxEntry& b) { return a.id < b.id; });
    return mailboxes;
}

std::vector<MailSummary> ReadMails(const std::string& folderPath) {
    std::vector<MailSummary> mails;
    ForEachEntry(folderPath + "*.eml", [&](const WIN32_FIND_DATAA& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
        const std::string head = ReadHead(folderPath + data.cFileName, 4096);
        mails.push_back(MailSummary{data.cFileName, HeaderValue(head, "Subject"), HeaderValue(head, "From"),
                                    HeaderValue(head, "Date")});
    });
    std::sort(mails.begin(), mails.end(),
              [](const MailSummary& a, const MailSummary& b) { return a.fileName < b.fileName; });
    return mails;
}

int CountMails(const std::string& folderPath) {
    int count = 0;
    ForEachEntry(folderPath + "*.eml", [&](const WIN32_FIND_DATAA& data) {
        count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    });
    return count;
}

std::string ReadMailText(const std::string& path) {
    return ReadHead(path, 8192);
}

int TransferMails(const std::string& fromFolder, const std::vector<std::string>& fileNames,
                  const std::string& toFolder, bool copy) {
    if (GetFileAttributesA(toFolder.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    if (!copy && lstrcmpiA(fromFolder.c_str(), toFolder.c_str()) == 0) return 0;
    int arrived = 0;
    for (const std::string& name : fileNames) {
        const std::string source = fromFolder + name;
        const std::string target = toFolder + FreeName(toFolder);
        const BOOL done = copy ? CopyFileA(source.c_str(), target.c_str(), TRUE)
                               : MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED);
        arrived += done ? 1 : 0;
    }
    return arrived;
}

}  // namespace standin::app
