#include <windows.h>

#include <cstring>

#include "cli/file_key.h"
#include "conversion/windows/long_path.h"
#include "windows_text/windows_text.h"

namespace quellmark {

std::optional<FileKey> FileKeyOf(const std::string& Path) {
    const HANDLE File = CreateFileW(LongPath(Path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FILE_ID_INFO Info{};
    const bool Known = GetFileInformationByHandleEx(File, FileIdInfo, &Info, sizeof Info) != 0;
    CloseHandle(File);
    if (!Known) {
        return std::nullopt;
    }
    FileKey Key;
    Key.Volume = Info.VolumeSerialNumber;
    std::memcpy(Key.Index, &Info.FileId, sizeof Key.Index);
    return Key;
}

}  // namespace quellmark
