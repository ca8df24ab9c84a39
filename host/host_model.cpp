#include "host_model.h"

#include <memory>

namespace standin {
namespace {

std::unique_ptr<HostModel> g_host = std::make_unique<HostModel>();

struct SpecialName {
    const char* directory;
    const char* display;
};
constexpr SpecialName kSpecialNames[] = {
    {"!!!!Inbox", "受信箱"}, {"!!!!Outbox", "送信箱"}, {"!!!Draft", "草稿"},
    {"!!!Sent", "送信済み"}, {"!!!XReminder", "リマインダ"}, {"!Trash", "ごみ箱"},
};

// Code page aware: the second byte of a double-byte character (as in "ソ")
// may be 0x5C and is not a separator.
std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            current += c;
            current += path[++i];
        } else if (c == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

bool EndsWithIni(const std::string& name) {
    return name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".ini") == 0;
}

}  // namespace

HostModel& Host() { return *g_host; }

void ResetHost() { g_host = std::make_unique<HostModel>(); }

std::string HostModel::DisplayNameOf(const std::string& id) const {
    if (displayNameOverride) return displayNameOverride(id);
    const std::vector<std::string> parts = SplitComponents(id);
    if (parts.empty()) return std::string();
    const std::string mailboxId = parts[0] + "\\";
    auto known = mailboxDisplayNames.find(mailboxId);
    std::string display = known != mailboxDisplayNames.end() ? known->second : parts[0] + "/";
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (i == 1 && part.size() > 1 && part[0] == '#' && EndsWithIni(part) && id.back() != '\\') {
            char name[1024] = "";
            const std::string stem = part.substr(1, part.size() - 5);
            const std::string file = dataFolder + id;
            GetPrivateProfileStringA("Folder", "Name", stem.c_str(), name, sizeof(name), file.c_str());
            if (name[0] == '\0') return std::string();
            return display + name;
        }
        std::string shown = part;
        for (const SpecialName& special : kSpecialNames) {
            if (part == special.directory) shown = special.display;
        }
        if (i > 1) display += "/";
        display += shown;
    }
    return display;
}

void HostModel::Record(const char* function, const std::string& text, long number) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(HostCall{function, text, number});
}

std::vector<HostCall> HostModel::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<HostCall> HostModel::CallsTo(const std::string& function) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<HostCall> matching;
    for (const HostCall& call : calls_) {
        if (call.function == function) matching.push_back(call);
    }
    return matching;
}

void HostModel::ClearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    displayNameCalls_ = 0;
}

long HostModel::DisplayNameCallCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return displayNameCalls_;
}

void HostModel::CountDisplayNameCall() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++displayNameCalls_;
}

}  // namespace standin
