#include "RegistryStore.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The longest prefix of `text` of at most `capacity` bytes that ends on a character
// boundary of UTF-8.
size_t utf8Cut(const std::string& text, size_t capacity) {
    if (text.size() <= capacity) {
        return text.size();
    }
    size_t cut = capacity;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

bool parseInt32(const QString& text, int32_t& value) {
    bool ok = false;
    qlonglong number = text.trimmed().toLongLong(&ok, 10);
    if (!ok || number < INT32_MIN || number > static_cast<qlonglong>(UINT32_MAX)) {
        return false;
    }
    // A stored unsigned 32-bit number keeps its bits, as a 32-bit registry number does.
    value = static_cast<int32_t>(static_cast<uint32_t>(number));
    return true;
}

} // namespace

RegistryStore::RegistryStore(std::string keyPath) : keyPath_(std::move(keyPath)) {
    // "SOFTWARE\Maker\Program" → organization "Maker", application "Program"; deeper keys
    // join their remaining parts with "/".
    std::string rest = keyPath_;
    const std::string software = "SOFTWARE\\";
    if (rest.compare(0, software.size(), software) == 0) {
        rest = rest.substr(software.size());
    }
    auto sep = rest.find('\\');
    organization_ = sep == std::string::npos ? rest : rest.substr(0, sep);
    application_ = sep == std::string::npos ? std::string("settings") : rest.substr(sep + 1);
    for (auto& c : application_) {
        if (c == '\\') {
            c = '/';
        }
    }
}

namespace {

std::unique_ptr<QSettings> openStore(const std::string& organization,
                                     const std::string& application) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromStdString(organization),
                                       QString::fromStdString(application));
}

// The stored value, or an invalid variant when the key or the value is missing or the
// file cannot be read.
QVariant fetch(const std::string& organization, const std::string& application, const char* name) {
    auto store = openStore(organization, application);
    if (store->status() != QSettings::NoError) {
        return {};
    }
    QString key = QString::fromUtf8(name);
    if (!store->contains(key)) {
        return {};
    }
    return store->value(key);
}

void put(const std::string& organization, const std::string& application, const char* name,
         const QVariant& value) {
    auto store = openStore(organization, application);
    // A file that cannot be parsed is left alone rather than overwritten with one value.
    if (store->status() != QSettings::NoError) {
        return;
    }
    store->setValue(QString::fromUtf8(name), value);
    store->sync();
}

} // namespace

std::string RegistryStore::filePath() const {
    return openStore(organization_, application_)->fileName().toStdString();
}

bool RegistryStore::readText(const char* name, char* buffer, const char* defaultText,
                             size_t capacity) const {
    std::string text;
    bool found = readText(name, text, defaultText, capacity);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return found;
}

bool RegistryStore::readText(const char* name, std::string& text, const char* defaultText,
                             size_t capacity) const {
    QVariant value = fetch(organization_, application_, name);
    bool found = value.isValid() && value.typeId() == QMetaType::QString;
    std::string result = found ? value.toString().toStdString() : std::string(defaultText);
    text = result.substr(0, utf8Cut(result, capacity));
    return found;
}

bool RegistryStore::readInt(const char* name, int32_t& value, int32_t defaultValue) const {
    value = defaultValue;
    QVariant stored = fetch(organization_, application_, name);
    if (!stored.isValid()) {
        return false;
    }
    if (stored.typeId() == QMetaType::Int) {
        value = stored.toInt();
        return true;
    }
    if (stored.typeId() != QMetaType::QString) {
        return false;
    }
    int32_t number = 0;
    if (!parseInt32(stored.toString(), number)) {
        return false;
    }
    value = number;
    return true;
}

bool RegistryStore::readFlag(const char* name, bool& value, bool defaultValue) const {
    value = defaultValue;
    int32_t number = 0;
    if (!readInt(name, number, defaultValue ? 1 : 0)) {
        return false;
    }
    value = number != 0;
    return true;
}

bool RegistryStore::readRect(const char* name, ARect& rect, const ARect& defaultRect) const {
    rect = defaultRect;
    char defaultText[64];
    std::snprintf(defaultText, sizeof defaultText, "%ld %ld %ld %ld",
                  static_cast<long>(defaultRect.left), static_cast<long>(defaultRect.top),
                  static_cast<long>(defaultRect.right), static_cast<long>(defaultRect.bottom));
    std::string text;
    if (!readText(name, text, defaultText, 1023)) {
        return false;
    }
    int32_t* fields[4] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    QStringList parts = QString::fromStdString(text).split(' ', Qt::SkipEmptyParts);
    int found = 0;
    for (const QString& part : parts) {
        if (found == 4) {
            break;
        }
        int32_t number = 0;
        if (!parseInt32(part, number)) {
            break;
        }
        *fields[found++] = number;
    }
    return found == 4;
}

void RegistryStore::writeText(const char* name, const char* text, int32_t length) const {
    std::string value = length < 0 ? std::string(text)
                                   : std::string(text, strnlen(text, static_cast<size_t>(length)));
    put(organization_, application_, name, QString::fromStdString(value));
}

void RegistryStore::writeInt(const char* name, int32_t value) const {
    put(organization_, application_, name, QVariant(static_cast<int>(value)));
}

void RegistryStore::writeFlag(const char* name, bool value) const {
    writeInt(name, value ? 1 : 0);
}

void RegistryStore::writeRect(const char* name, const ARect& rect) const {
    char text[64];
    std::snprintf(text, sizeof text, "%d %d %d %d", rect.left, rect.top, rect.right, rect.bottom);
    writeText(name, text);
}
