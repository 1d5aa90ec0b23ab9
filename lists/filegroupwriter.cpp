#include "lists/filegroupwriter.h"

FileWriter &FileGroupWriter::add(const QString &fileName)
{
    m_files.push_back(std::make_unique<FileWriter>(fileName));
    return *m_files.back();
}

void FileGroupWriter::commit()
{
    // Everything that can fail for want of space or a bad disk fails here,
    // before any file is replaced.
    for (const auto &file : m_files)
        file->finish();
    for (const auto &file : m_files)
        file->commit();
    m_files.clear();
}
