#include "AEProjectFile.h"

#include "AETaggedFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr int32_t kRecordsPerTitle = 1000;

constexpr uint32_t tag(const char* name) {
    return AETaggedFile::tagValue(name);
}

constexpr uint32_t kTfid = tag("Tfid");
constexpr uint32_t kTart = tag("Tart");
constexpr uint32_t kTnam = tag("Tnam");
constexpr uint32_t kTedn = tag("Tedn");
constexpr uint32_t kTcdp = tag("Tcdp");
constexpr uint32_t kPtrn = tag("Ptrn");
constexpr uint32_t kSlpa = tag("Slpa");
constexpr uint32_t kEnad = tag("Enad");
constexpr uint32_t kFaio = tag("Faio");
constexpr uint32_t kPrst = tag("Prst");
constexpr uint32_t kZoom = tag("Zoom");
constexpr uint32_t kMaNa = tag("MaNa");
constexpr uint32_t kEnot = tag("Enot");

// The record type a known tag must have, or 0 for a tag this reader does not know.
int32_t expectedType(uint32_t t) {
    switch (t) {
    case kTart:
    case kTnam:
    case kTedn:
    case kTcdp:
    case kPtrn:
    case kMaNa:
    case kEnot:
        return AETaggedFile::kText;
    case kTfid:
    case kSlpa:
    case kEnad:
    case kFaio:
    case kPrst:
    case kZoom:
        return AETaggedFile::kInteger;
    default:
        return 0;
    }
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) &&
           std::equal(a.begin(), a.end(), b, [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

class Reader {
public:
    Reader(const std::string& path, std::string& error) : file_(path), error_(error) {}

    std::unique_ptr<AEProject> read() {
        auto project = std::make_unique<AEProject>();
        return parse(*project) ? std::move(project) : nullptr;
    }

private:
    bool parse(AEProject& project) {
        if (!file_.openForRead()) {
            return fail("cannot be opened");
        }
        int32_t version = 0;
        if (!readInteger(version)) {
            return fail("is not a project file");
        }
        if (version > AEProject::kVersion) {
            return fail("was written by a newer version (" + std::to_string(version) + ")");
        }
        // A text of an impossible length is skipped: the field keeps its default.
        std::string title = project.projectTitle();
        int32_t count = 0;
        std::string base = project.baseDirectory();
        if (!readText(title) || !readInteger(count)) {
            return damaged();
        }
        if (count < 0 || count > AEProject::kMaxTitles) {
            return fail("holds " + std::to_string(count) + " titles (at most 99)");
        }
        if (!readText(base)) {
            return damaged();
        }
        project.setProjectTitle(title);
        project.setBaseDirectory(base);
        for (int32_t i = 0; i < count; ++i) {
            if (!readTitle(project)) {
                return false;
            }
        }
        return true;
    }

    bool fail(const std::string& why) {
        if (error_.empty()) {
            error_ = why;
        }
        return false;
    }

    bool damaged() { return fail(file_.readFailed() ? "is truncated" : "holds a damaged record"); }

    // One header record: its type is checked (a wrong one cannot be read), its tag is not.
    bool readInteger(int32_t& value) {
        char name[5];
        if (file_.readHeader(name) != AETaggedFile::kInteger) {
            return false;
        }
        value = file_.readInteger();
        return !file_.readFailed();
    }

    bool readText(std::string& text) {
        char name[5];
        if (file_.readHeader(name) != AETaggedFile::kText) {
            return false;
        }
        const char* read = file_.readText();
        if (file_.textWasRead()) {
            text = read;
        }
        return !file_.readFailed();
    }

    // `count` integers, the first without its header (already read by the caller).
    bool readIntegers(int32_t* values, int count) {
        values[0] = file_.readInteger();
        for (int i = 1; i < count; ++i) {
            char name[5];
            if (file_.readHeader(name) != AETaggedFile::kInteger) {
                return false;
            }
            values[i] = file_.readInteger();
        }
        return !file_.readFailed();
    }

    bool readTitle(AEProject& project) {
        char name[5];
        const int32_t firstType = file_.readHeader(name);
        if (firstType < 0) {
            return damaged();
        }
        if (firstType != AETaggedFile::kInteger || AETaggedFile::tagValue(name) != kTfid) {
            return fail("has a title that does not begin with \"Tfid\"");
        }
        file_.readInteger();
        if (file_.readFailed() || !project.addTitle(true)) {
            return damaged();
        }
        AETitle& title = *project.title(project.titleCount() - 1);
        bool targetSet = false;
        for (int32_t records = 1; records < kRecordsPerTitle; ++records) {
            const int32_t type = file_.readHeader(name);
            if (type < 0) {
                return damaged();
            }
            const uint32_t t = AETaggedFile::tagValue(name);
            if (expectedType(t) != type) {
                if (!file_.skipPayload(type)) {
                    return damaged();
                }
                continue;
            }
            if (t == kTfid) {
                return fail("has a title block without its end");
            }
            const bool setting =
                t == kSlpa || t == kEnad || t == kFaio || t == kPrst || t == kZoom || t == kMaNa;
            if (setting && !targetSet) {
                return fail("has title settings before their title");
            }
            if (t == kEnot) {
                file_.readText();
                break;
            }
            targetSet = targetSet || t == kPtrn;
            if (!readRecord(t, title)) {
                return damaged();
            }
        }
        if (file_.readFailed()) {
            return damaged();
        }
        if (equalsIgnoringCase(title.sourcePath(), AETitle::kNotAvailable)) {
            title.setSourcePath(title.audioBase() + ".wav");
        }
        return true;
    }

    // The payload of a known record of the right type, into `title`.
    bool readRecord(uint32_t t, AETitle& title) {
        if (expectedType(t) == AETaggedFile::kText) {
            const std::string text = file_.readText();
            if (file_.textWasRead()) {
                storeText(t, text, title);
            }
            return !file_.readFailed();
        }
        // The settings of several slots come as that many records in a row.
        const int count = (t == kSlpa || t == kEnad) ? AETitle::kSlots
                          : t == kFaio               ? AETitle::kFadePoints
                                                     : 1;
        int32_t values[AETitle::kSlots] = {};
        if (!readIntegers(values, count)) {
            return false;
        }
        for (int k = 0; k < count; ++k) {
            storeInteger(t, k, values[k], title);
        }
        return true;
    }

    static void storeInteger(uint32_t t, int k, int32_t value, AETitle& title) {
        switch (t) {
        case kSlpa:
            title.setProcessorParam(k, value);
            break;
        case kEnad:
            title.setProcessorEnabled(k, value != 0);
            break;
        case kFaio:
            title.setFadePoint(k, value);
            break;
        case kPrst:
            title.setStateCode(value);
            break;
        case kZoom:
            title.setZoom(value);
            break;
        default:
            break;
        }
    }

    static void storeText(uint32_t t, const std::string& text, AETitle& title) {
        switch (t) {
        case kTart:
            title.setArtist(text);
            break;
        case kTnam:
            title.setAudioBase(text);
            break;
        case kTedn:
            title.setDisplayName(text);
            break;
        case kTcdp:
            title.setPauseSeconds(text);
            break;
        case kPtrn:
            title.setProcessedPath(text);
            break;
        case kMaNa:
            title.setSourcePath(text);
            break;
        default:
            break;
        }
    }

    AETaggedFile file_;
    std::string& error_;
};

} // namespace

namespace AEProjectFile {

std::unique_ptr<AEProject> read(const std::string& path, std::string& error) {
    return Reader(path, error).read();
}

bool write(const AEProject& project, const std::string& path) {
    AETaggedFile file(path);
    if (!file.openForWrite()) {
        return false;
    }
    file.writeInteger("Vers", AEProject::kVersion);
    file.writeText("Titl", project.projectTitle());
    file.writeInteger("Numt", project.titleCount());
    file.writeText("Bdir", project.baseDirectory());
    for (int32_t i = 0; i < project.titleCount(); ++i) {
        const AETitle& title = *project.title(i);
        file.writeInteger("Tfid", title.fileIndex());
        file.writeText("Tart", title.artist());
        file.writeText("Tnam", title.audioBase());
        file.writeText("Tedn", title.displayName());
        file.writeText("Tcdp", title.pauseSeconds());
        file.writeText("Ptrn", title.processedPath());
        for (int slot = 0; slot < AETitle::kSlots; ++slot) {
            file.writeInteger("Slpa", title.processorParam(slot));
        }
        for (int slot = 0; slot < AETitle::kSlots; ++slot) {
            file.writeInteger("Enad", title.processorEnabled(slot) ? 1 : 0);
        }
        for (int k = 0; k < AETitle::kFadePoints; ++k) {
            file.writeInteger("Faio", title.fadePoint(k));
        }
        file.writeInteger("Prst", title.stateCode());
        file.writeInteger("Zoom", title.zoom());
        file.writeText("MaNa", title.sourcePath());
        file.writeText("Enot", "****");
    }
    return file.finishWrite();
}

} // namespace AEProjectFile
