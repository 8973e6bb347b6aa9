#pragma once

namespace brmath {

struct ModelRecords;

// What a notice is about.
enum class Notice {
    kClipLeftOut,        // a clip beside the mesh that was refused or could not be read
    kPastDeclaredCount,  // records or blocks past the count the file declares, not read
    kTrackWithoutJoint,  // a clip's track whose name no joint has: it drives nothing
    kOtherVersion,       // a version line other than 10, read as version 10 all the same
    kKeywordHidden,      // a keyword found inside a "//" comment or a quoted text
};

// Where a reader tells what it passed over or left out of a model it read: clips that
// were refused, records past the counts the file declares, tracks that name no joint.
// Loading behaves the same with or without one; tools use it to say what they omit.
struct LoadReport {
    // One call per notice: the file it concerns, the 1-based line (0: the whole file)
    // and a sentence.
    void (*notice)(void* context, Notice kind, const char* path, int line, const char* message) = nullptr;
    void* context = nullptr;
    // Called once a mesh is read and in place, before the clips beside it: the joints
    // then hold the bind pose.
    void (*meshRead)(void* context, const ModelRecords& model) = nullptr;
};

// A reader's notices about one file; nothing is formatted without a report.
class FileNotes {
public:
    FileNotes(const LoadReport* report, const char* path) : report_(report), path_(path) {}
    bool Wanted() const { return report_ != nullptr && report_->notice != nullptr; }
    void Note(Notice kind, int line, const char* format, ...) const
#if defined(__GNUC__)
        __attribute__((format(printf, 4, 5)))
#endif
        ;

private:
    const LoadReport* report_;
    const char* path_;
};

}  // namespace brmath
