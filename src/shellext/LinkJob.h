// The work behind a drop: plan what to link, then link it without ever
// replacing a name, stopping between items when asked to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessivar {

enum class TDropCommand {
    Links,  // the dropped files, into the target
    Clone,  // everything dropped: folders recreated, every file in them linked
};

struct TSource {
    std::wstring Path;
    bool Folder = false;
};

struct TFailure {
    std::wstring Name;  // the source's full path
    DWORD Code = 0;     // the system's error code, or one of the job's own below
};

// A folder dropped onto itself under another name (a junction, a mount
// point, a drive alias): the clone would go inside what it copies.
constexpr DWORD ErrorTargetIsSource = APPLICATION_ERROR_MASK | 1;

// Whether a clone's folder merges into what is at its name already: only a
// plain folder other than the source. A junction there may lead anywhere,
// the source or its tree included.
bool MergesInto(DWORD ExistingAttributes, bool ExistingIsSource);

// Whom the job tells where it is, and who may stop it.
class TProgress {
public:
    virtual ~TProgress() = default;
    // About to handle item Done of Total (Total is 0 while planning).
    virtual void Step(size_t Done, size_t Total, const std::wstring& Name) = 0;
    virtual bool Cancelled() = 0;
};

// A name numbered as Explorer numbers copies: "a (2).txt". A folder, and a
// name whose only dot is its first character, take the number at the end.
std::wstring NumberedName(const std::wstring& Name, int Number, bool Folder);
std::wstring JoinPath(const std::wstring& Folder, const std::wstring& Name);

class TLinkJob {
public:
    TLinkJob(TDropCommand Command, std::vector<TSource> Sources, std::wstring Target);
    virtual ~TLinkJob() = default;

    // Plans, then handles the items in order until done or cancelled. What
    // was linked before a cancel stays; each item is whole or not there.
    // Virtual for a stand-in that fails as a huge tree would.
    virtual void Run(TProgress& Progress);

    const std::vector<TFailure>& Failures() const { return failures_; }
    const std::wstring& Target() const { return target_; }
    bool WasCancelled() const { return cancelled_; }
    size_t ItemCount() const { return items_.size(); }

private:
    struct TItem {
        std::wstring Source;
        std::wstring Name;
        bool Folder;
        size_t Parent;      // index of the folder item it goes into; npos: the target
        std::wstring Made;  // a folder's path at the target, once made
    };
    static constexpr size_t NoParent = static_cast<size_t>(-1);

    bool Plan(TProgress& Progress);
    void Handle(TItem& Item);

    TDropCommand command_;
    std::vector<TSource> sources_;
    std::wstring target_;
    std::vector<TItem> items_;
    std::vector<TFailure> failures_;
    bool cancelled_ = false;
};

}  // namespace tessivar
