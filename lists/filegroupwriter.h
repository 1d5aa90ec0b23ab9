#pragma once

#include "lists/linewriter.h"

#include <memory>
#include <vector>

// Files replaced together, such as the result files of one comparison: each
// is written under a temporary name in its folder, and none is renamed into
// place before all of them are written. A group that fails, or is destroyed
// before commit(), removes its temporary files and changes no file.
class FileGroupWriter
{
public:
    FileGroupWriter() = default;
    FileGroupWriter(const FileGroupWriter &) = delete;
    FileGroupWriter &operator=(const FileGroupWriter &) = delete;

    // Starts one more file of the group; the writer lives as long as the
    // group. Different files may be written on different threads. Throws
    // WriteError when the file cannot be started.
    FileWriter &add(const QString &fileName);

    // Finishes every file, then renames them all into place. Throws the
    // WriteError of the first file that fails.
    void commit();

private:
    std::vector<std::unique_ptr<FileWriter>> m_files;
};
