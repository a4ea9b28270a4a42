#include "scan/folder_reader.h"

#include "scan/folder_walker.h"
#include "work/file_fields.h"

#include <QFile>

#include <fcntl.h>

#include <algorithm>

namespace zek::scan {

using platform::DirectorySearch;

namespace {

// The last name of a path that ends in "/".
QByteArray lastName(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/', path.size() - 2);
    return path.mid(slash + 1, path.size() - slash - 2);
}

} // namespace

FolderReader::FolderReader(const FolderList& chosen) : m_chosen(chosen) {}

FolderReader::~FolderReader() = default;

bool FolderReader::produce(FolderBatch& b, bool leaveToWriter) {
    reuse(b);
    if (m_search) { // a large folder goes on
        b.index = m_current;
        b.folder = m_folder;
        b.first = false;
    } else {
        if (!startNextFolder(b, leaveToWriter))
            return false;
        if (!m_search) // not read: its path is too long, it could not be opened, or the writer reads it
            return true;
    }
    readChunk(b, leaveToWriter);
    return true;
}

bool FolderReader::startNextFolder(FolderBatch& b, bool leaveToWriter) {
    if (!advance())
        return false;
    b.index = m_current;
    b.folder = m_folder;
    // A folder whose path the file table cannot hold is not read: its records could only be
    // cut. (Beyond PATH_MAX it could not be opened either.) A shown path never has more
    // characters than its raw form has bytes.
    if (m_folder.rawLongPath.size() > work::HostPathSize || m_folder.shortPath.size() > work::HostPathSize ||
        m_folder.longPath.size() > work::HostPathSize) {
        b.pathTooLong = true;
        return true;
    }
    // Nothing in it can join the queue: the writer may read it as well as this thread.
    if (leaveToWriter && m_folder.smallLeaf && m_haveMount && openParent()) {
        b.unread = true;
        b.parentFd = m_parent;
        b.mount = m_mount;
        return true;
    }
    // Mount points are never entered, so every folder below a chosen one shares its mount.
    m_search = openFolder();
    if (!m_search->ok() && m_search->count() == 0) {
        b.openError = m_search->error();
        m_search.reset();
        return true;
    }
    if (!m_haveMount) {
        m_mount = m_search->mountFacts();
        m_haveMount = true;
    }
    b.readError = m_search->error();
    b.names.assignRaw(m_search->names());
    return true;
}

bool FolderReader::advance() {
    if (m_nextIndex > m_queue.folderCount) {
        if (m_nextChosen >= m_chosen.count())
            return false;
        FolderQueueEntry chosen;
        chosen.shortPath = m_chosen.shortForms.value(m_nextChosen).toUpper();
        chosen.longPath = m_chosen.longForms.at(m_nextChosen);
        chosen.rawLongPath = QFile::encodeName(chosen.longPath);
        ++m_nextChosen;
        m_queue.append(std::move(chosen));
        m_haveMount = false; // a chosen folder's mount is asked of the file system
    }
    m_current = m_nextIndex++;
    m_queue.releaseBefore(m_current);
    FolderQueueEntry& entry = m_queue.at(m_current);
    if (entry.level == 0) {
        addSeparator(entry.shortPath);
        addSeparator(entry.longPath);
    } else {
        // Its parent's path, then its name.
        const QByteArrayView parent = m_waitingParents.pathOf(entry.parent);
        entry.rawLongPath.prepend(parent.data(), parent.size());
    }
    addSeparator(entry.rawLongPath);
    m_folder = entry;
    m_currentIsParent = false;
    return true;
}

void FolderReader::readChunk(FolderBatch& b, bool leaveNonFolders) {
    b.records.reserve(std::min(ChunkSize, m_search->count()));
    bool leftSome = false;
    // The folder stays open for the writer while entries wait in the batch.
    auto shareFolder = [&] {
        if (leftSome) {
            b.folderFd = m_search->sharedFolder();
            b.mount = m_search->mountFacts();
        }
    };
    while (b.records.size() < ChunkSize) {
        WalkRecord& r = b.records.emplace_back();
        std::size_t i = 0;
        if (!m_search->nextFacts(i, r.facts, leaveNonFolders, r.examined)) {
            b.records.pop_back();
            shareFolder();
            m_search.reset();
            return;
        }
        leftSome = leftSome || !r.examined;
        r.name = quint32(i);
        if (entersFolder(r.facts)) {
            if (!m_currentIsParent) {
                m_waitingParents.push(m_current, m_folder.rawLongPath);
                m_currentIsParent = true;
            }
            FolderQueueEntry sub;
            sub.rawLongPath = m_search->rawName(i).toByteArray(); // the path is made when its turn comes
            sub.level = m_folder.level + 1;
            sub.parent = m_current;
            sub.smallLeaf = r.facts.smallLeaf;
            m_queue.append(std::move(sub));
        }
    }
    // A full chunk: the folder goes on in the next batch (which may hold no entries).
    shareFolder();
    b.last = false;
}

bool FolderReader::openParent() {
    const QByteArray& path = m_folder.rawLongPath; // ends in "/"
    const qsizetype slash = m_folder.level > 0 ? path.lastIndexOf('/', path.size() - 2) : -1;
    if (slash < 0)
        return false;
    if (m_folder.parent != m_parentIndex) {
        // A batch still holding the previous parent keeps it open until the writer is done with it.
        m_parent = std::make_shared<const platform::UniqueFd>(
            ::open(path.left(slash + 1).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        m_parentIndex = m_folder.parent;
    }
    return m_parent->valid();
}

std::unique_ptr<DirectorySearch> FolderReader::openFolder() {
    const platform::MountFacts* mount = m_haveMount ? &m_mount : nullptr;
    const QByteArray& path = m_folder.rawLongPath;
    if (openParent()) {
        return std::make_unique<DirectorySearch>(m_parent->get(), lastName(path), path, mount, false);
    }
    return std::make_unique<DirectorySearch>(-1, path, path, mount, false); // says why, when it fails
}

void readUnreadFolder(FolderBatch& b) {
    Q_ASSERT(b.unread && b.parentFd && b.records.empty());
    const QByteArray& path = b.folder.rawLongPath;
    const DirectorySearch search(b.parentFd->get(), lastName(path), path, &b.mount, false);
    b.parentFd.reset();
    if (!search.ok() && search.count() == 0) {
        b.openError = search.error();
        return;
    }
    b.readError = search.error();
    b.names.assignRaw(search.names());
    b.records.resize(search.count());
    for (std::size_t i = 0; i < b.records.size(); ++i) {
        b.records[i].name = quint32(i);
        b.records[i].examined = false;
    }
    if (!b.records.empty())
        b.folderFd = search.sharedFolder();
}

} // namespace zek::scan
