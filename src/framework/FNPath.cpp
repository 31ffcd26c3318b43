#include "FNPath.h"

std::string FNPath::fileName() const {
    auto slash = text_.rfind('/');
    return slash == std::string::npos ? text_ : text_.substr(slash + 1);
}

std::string FNPath::directory() const {
    auto slash = text_.rfind('/');
    return slash == std::string::npos ? std::string() : text_.substr(0, slash + 1);
}

std::string FNPath::extension() const {
    std::string name = fileName();
    auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void FNPath::setFileName(const std::string& name) {
    text_ = directory() + name;
}

std::string FNPath::withExtension(const std::string& extension) const {
    std::string name = fileName();
    auto dot = name.rfind('.');
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    return directory() + stem + "." + extension;
}
