#include "sample_mailbox.h"

#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace standin {
namespace {

// splitmix64: tiny, fast, and the same sequence on every compiler and platform.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return bound ? static_cast<std::size_t>(Next() % bound) : 0; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    std::uint64_t state_;
};

constexpr const char* kSpecialDirectories[] = {"!!!!Inbox", "!!!!Outbox", "!!!Draft",
                                               "!!!Sent",   "!!!XReminder", "!Trash"};

// Kanji, kana, half-width kana, full-width Latin and plain Latin. "ソフト" and
// "表計算" hold 0x5C as a second byte, which path code must not take for '\'.
constexpr const char* kFolderNames[] = {
    "Work",        "Plans",        "Projects",   "Family",     "Travel",       "Receipts",
    "Newsletters", "Archive",      "Invoices",   "Friends",    "Support",      "Releases",
    "Team",        "Reports",      "Tarnwick",   "Becky",      "mailing-list", "Old mail",
    "仕事",        "家族",         "旅行",       "請求書",     "会議",         "プロジェクト",
    "お知らせ",    "メルマガ",     "友人",       "趣味",       "写真",         "予定",
    "ソフト",      "表計算",       "カメラ部",   "ｱｰｶｲﾌﾞ",     "ﾒﾓ",           "ＡＢＣ商事",
    "ｂｅｃｋｙ",  "Ｗｏｒｋ",     "ＦＡＱ",     "2024年",     "2025年",       "大阪支社",
    "東京本社",    "経理",         "総務",       "開発",       "サポート",     "ニュース",
    "取引先",      "日本",         "メール",     "送信控え",   "見積書",       "会議室予約",
};

struct IniFolder {
    const char* file;
    const char* name;  // its [Folder] "Name"; empty: the host shows no folder
};
constexpr IniFolder kIniFolders[] = {
    {"#Inbox.ini", "受信箱"},          {"#Unread.ini", "未読メール"}, {"#Flagged.ini", "フラグ付き"},
    {"#Today.ini", "今日のメール"},    {"#Large.ini", "Large mails"}, {"#Hidden.ini", ""},
};

constexpr const char* kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri"};

constexpr const char* kMailboxNames[] = {"個人", "Work", "Archive", "Lists"};

constexpr const char* kSenders[] = {
    "山田 太郎 <taro@example.jp>", "佐藤 花子 <hanako@example.jp>", "Alice Smith <alice@example.com>",
    "Bob Jones <bob@example.org>", "ｻﾎﾟｰﾄ窓口 <support@example.jp>", "Newsletter <news@example.net>",
};
constexpr const char* kSubjects[] = {
    "会議の議事録",      "Re: 来週の予定",    "Invoice for November", "旅行の写真",
    "Release notes 1.20", "見積書の送付",      "Lunch on Friday?",     "【お知らせ】メンテナンス",
    "Re: Re: 企画書",     "Weekly report",     "ＦＡＱ更新のお知らせ", "Project kickoff",
};

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Creates every missing directory of an absolute path ending in '\'.
void MakeDirectories(const std::string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\' && i > 0 && path[i - 1] != ':') MakeDirectory(path.substr(0, i));
    }
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string SampleMail(SampleRandom& random, unsigned serial) {
    char date[64];
    std::snprintf(date, sizeof(date), "Date: %s, %02u Nov 2026 %02u:%02u:00 +0900\r\n",
                  random.Pick(kWeekdays), 1 + static_cast<unsigned>(random.Below(28)),
                  static_cast<unsigned>(random.Below(24)), static_cast<unsigned>(random.Below(60)));
    char id[64];
    std::snprintf(id, sizeof(id), "Message-ID: <%u.%u@sample.tarnwick>\r\n", serial,
                  static_cast<unsigned>(random.Below(100000)));
    std::string mail = std::string("From: ") + random.Pick(kSenders) + "\r\n";
    mail += "To: you@example.jp\r\n";
    mail += std::string("Subject: ") + random.Pick(kSubjects) + "\r\n";
    mail += date;
    mail += id;
    mail += "\r\nこれはサンプルのメールです。\r\nThis is a sample mail.\r\n";
    return mail;
}

void WriteSampleMails(const std::string& directory, int count, SampleRandom& random, unsigned& serial) {
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "%08u.eml", ++serial);
        WriteFile(directory + name, SampleMail(random, serial));
    }
}

struct SampleFolder {
    std::string relative;  // below the mailbox, ends with '\'
    int depth;
};

constexpr int kMaxDepth = 5;

class MailboxWriter {
public:
    MailboxWriter(const std::string& mailboxPath, const SampleMailboxOptions& options, unsigned seed)
        : root_(mailboxPath), options_(options), random_(seed) {}

    int Write(const char* displayName) {
        MakeDirectories(root_);
        WritePrivateProfileStringA("Account", "Name", displayName, (root_ + "Mailbox.ini").c_str());
        for (const IniFolder& ini : kIniFolders)
            WritePrivateProfileStringA("Folder", "Name", ini.name, (root_ + ini.file).c_str());
        for (const char* special : kSpecialDirectories) Add(SampleFolder{std::string(special) + "\\", 1});
        const int wanted = options_.folderCount > 6 ? options_.folderCount : 6;
        // A directory that cannot be made (a full disk) must not loop for ever.
        for (int attempts = 0; static_cast<int>(folders_.size()) < wanted && attempts < 4 * wanted; ++attempts)
            Add(NextChild());
        if (options_.writeMails) WriteMails();
        return static_cast<int>(folders_.size());
    }

private:
    // New folders go mostly below existing ones, a few at the top and below
    // the inbox, as in a mailbox that grew over years.
    SampleFolder NextChild() {
        const SampleFolder* parent = nullptr;
        const std::size_t roll = random_.Below(10);
        if (roll == 1) parent = &folders_[0];  // "!!!!Inbox\"
        if (roll > 2 && folders_.size() > 6) {
            const SampleFolder& candidate = folders_[6 + random_.Below(folders_.size() - 6)];
            if (candidate.depth < kMaxDepth) parent = &candidate;
        }
        const std::string base = parent ? parent->relative : std::string();
        std::string path = base + random_.Pick(kFolderNames) + "\\";
        for (int suffix = 2; used_.count(path); ++suffix)
            path = base + random_.Pick(kFolderNames) + " " + std::to_string(suffix) + "\\";
        return SampleFolder{path, parent ? parent->depth + 1 : 1};
    }

    void Add(SampleFolder folder) {
        if (!MakeDirectory(root_ + folder.relative)) return;
        used_.insert(folder.relative);
        folders_.push_back(std::move(folder));
    }

    void WriteMails() {
        unsigned serial = 0;
        for (std::size_t i = 0; i < folders_.size(); ++i) {
            const int count = i == 0 ? 8 : static_cast<int>(random_.Below(5));
            WriteSampleMails(root_ + folders_[i].relative, count, random_, serial);
        }
    }

    std::string root_;
    const SampleMailboxOptions& options_;
    SampleRandom random_;
    std::vector<SampleFolder> folders_;
    std::unordered_set<std::string> used_;
};

}  // namespace

int GenerateSampleMailbox(const std::string& dataFolder, const SampleMailboxOptions& options) {
    std::string folder = dataFolder;
    if (folder.empty()) return 0;
    if (folder.back() != '\\') folder += '\\';
    int firstCount = 0;
    for (int index = 0; index < options.mailboxCount; ++index) {
        const std::string mailbox = folder + "MB" + std::to_string(index + 1) + "\\";
        const char* name = kMailboxNames[static_cast<std::size_t>(index) % (sizeof(kMailboxNames) / sizeof(*kMailboxNames))];
        // Each mailbox its own tree, yet the whole folder a function of the seed.
        MailboxWriter writer(mailbox, options, options.seed * 7919u + static_cast<unsigned>(index));
        const int count = writer.Write(name);
        if (index == 0) firstCount = count;
    }
    return firstCount;
}

}  // namespace standin
