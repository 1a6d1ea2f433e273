#include "framework/ReplacingFile.h"

#include "platform/FileSystem.h"

#include <atomic>
#include <string>

namespace {

// A name beside the target that no other writer in this or another process picks.
std::string temporaryNameFor(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + std::to_string(osfile::processId()) + "-" + std::to_string(counter++);
}

} // namespace

ReplacingFile::ReplacingFile(std::string target, Durability durability)
    : target_(std::move(target)), durability_(durability)
{
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::open()
{
    discard();
    direct_ = osfile::isDevice(target_);
    if (direct_) {
        created_ = file_.open(target_.c_str(), File::genericWrite);
        return created_;
    }
    temporary_ = temporaryNameFor(target_);
    if (!file_.open(temporary_.c_str(), File::genericWrite))
        return false;
    created_ = true;
    osfile::keepPermissions(target_, temporary_);
    return true;
}

bool ReplacingFile::commit()
{
    if (!created_)
        return false;
    if (direct_) {
        created_ = false;
        return file_.close();
    }
    const bool synced = durability_ == Durability::synced;
    const bool written = (!synced || file_.flush()) && file_.close();
    if (!written ||
        !(synced ? osfile::replaceFile(temporary_, target_) : osfile::replaceFileUnsynced(temporary_, target_))) {
        discard();
        return false;
    }
    created_ = false;
    if (synced)
        osfile::syncDirectoryOf(target_);
    return true;
}

void ReplacingFile::discard()
{
    if (!created_)
        return;
    file_.close();
    if (!direct_)
        osfile::removeFile(temporary_);
    created_ = false;
}
