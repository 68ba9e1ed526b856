// Reading and writing the profile file on Windows, and where it lives.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/profile.h"

namespace vocalinka {

// Larger files are not profiles (ours is 60 bytes): reading them fails and the defaults stay.
inline constexpr long long kMaxProfileBytes = 64 * 1024;

// Reads the fields of the file at `path` into `text` (UTF-8). The file is in the ANSI code page,
// or UTF-8 when it starts with a byte-order mark. False, with `text` untouched, when the file
// is missing, unreadable or too large.
bool ReadTextFile(const std::wstring& path, std::string& text);

enum class ProfileRead { Read, Missing, Unreadable };

// ReadTextFile that tells a missing file from one that is there but cannot be read: held by
// another program without read sharing, or too large. A file held for a moment (a virus
// scanner) is tried again for a fifth of a second at most.
ProfileRead ReadProfileFile(const std::wstring& path, std::string& text);

// Writes `text` as one quoted record. Plain ANSI whenever the code page holds every character;
// otherwise UTF-8 with a byte-order mark, so that nothing is lost. The new file replaces the
// old one in a single rename: a failed or interrupted save leaves the previous file whole. The
// file keeps its hidden, system, archive and not-indexed attributes; a read-only file is not
// replaced: false at once, with ERROR_ACCESS_DENIED as the last error.
bool WriteTextFile(const std::wstring& path, std::string_view text);

// The program's folder followed by "\profile.pfl".
std::wstring ProfilePath();

// The one test of whether the program may write into `folder`: a file is created there and
// deleted again. Attributes and permission bits say too little (a folder's read-only attribute
// means nothing to Windows; Wine running as root ignores permissions).
bool CanCreateFilesIn(const std::wstring& folder);

// Where the profile is read and saved.
struct ProfilePlace {
    std::wstring path;
    // Read instead while `path` does not exist yet; empty for none.
    std::wstring startingPath;
    bool operator==(const ProfilePlace&) const = default;
};

using FolderTest = std::function<bool(const std::wstring& folder)>;

// Beside the program when its folder is writable (the portable place); otherwise
// "<roamingFolder>\Vocalinka\profile.pfl", starting from the profile beside the program. With
// no roaming folder the profile stays beside the program.
ProfilePlace FindProfilePlace(const std::wstring& programFolder, const std::wstring& roamingFolder,
                              const FolderTest& writable);

// FindProfilePlace for this program, this user's roaming application data and CanCreateFilesIn.
ProfilePlace DefaultProfilePlace();

enum class SaveOutcome { Saved, Unreadable, ReadOnly, Failed };

struct SaveResult {
    SaveOutcome outcome;
    // What to tell the person in plain words; empty when there is nothing to tell.
    std::wstring message;
};

// The profile of one run: what it started with, and saves that replace only what the person
// changed.
class ProfileStore {
public:
    explicit ProfileStore(ProfilePlace place = {}) : place_(std::move(place)) {}

    const ProfilePlace& Place() const { return place_; }

    // The defaults, then the profile (or its starting values). A profile that cannot be read
    // gives the defaults, and the next save reads it again rather than writing them over it.
    ProfileSettings Load();

    // Reads the profile again and writes it with the settings changed in this run taken from
    // `current`. A profile that is there but cannot be read, or that is read-only (the person
    // made it so), is left as it is and the result says so; a read-only profile is told only
    // once a run. A save waits 0.7 s at most (for a file held by another program).
    SaveResult Save(const ProfileSettings& current);

private:
    ProfileRead ReadStored(ProfileSettings& stored) const;

    ProfilePlace place_;
    ProfileChanges changes_;
    bool toldReadOnly_ = false;
};

}  // namespace vocalinka
