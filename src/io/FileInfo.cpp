#include "io/FileInfo.h"

namespace Nimbrel::IO {

int FileInfo::NameSeparator() const
{
    String path = GetPath();
    for (int i = path.Length() - 2; i >= 0; --i)
        if (path[i] == '/')
            return i;
    return -1;
}

String FileInfo::GetName() const
{
    String path = GetPath();
    int separator = NameSeparator();
    return separator < 0 ? path : path.SubString(separator + 1, path.Length() - separator - 1);
}

String FileInfo::GetExtension() const
{
    String path = GetPath();
    for (int i = path.Length() - 1; i >= 1; --i) {
        if (path[i] == '/')
            break;
        if (path[i] == '.')
            return path.SubString(i, path.Length() - i);
    }
    return String();
}

String FileInfo::GetFolder() const
{
    int separator = NameSeparator();
    return separator < 0 ? String() : GetPath().SubString(0, separator + 1);
}

}  // namespace Nimbrel::IO
