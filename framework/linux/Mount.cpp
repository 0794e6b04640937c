// The folder through FUSE's path-based interface, on one thread: a source's
// open files (a decoder each) are used by one read at a time.
#define FUSE_USE_VERSION 31

#include "framework/Mount.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <cerrno>
#include <cstring>
#include <fuse.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvak {

namespace {

TMountSource& Source() {
    return *static_cast<TMountSource*>(fuse_get_context()->private_data);
}

void FillTimes(struct stat* st, std::int64_t ns) {
    st->st_mtim.tv_sec = ns / 1000000000;
    st->st_mtim.tv_nsec = ns % 1000000000;
    st->st_atim = st->st_mtim;
    st->st_ctim = st->st_mtim;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    const auto node = Source().Find(path);
    if (!node)
        return -ENOENT;
    std::memset(st, 0, sizeof *st);
    st->st_uid = ::getuid();
    st->st_gid = ::getgid();
    if (node->Folder) {
        st->st_mode = S_IFDIR | 0555;
        st->st_nlink = 2;
    } else {
        st->st_mode = S_IFREG | 0444;
        st->st_nlink = 1;
        st->st_size = static_cast<off_t>(node->Size);
        st->st_blocks = static_cast<blkcnt_t>((node->Size + 511) / 512);
    }
    FillTimes(st, Source().ModifiedNs());
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t filler, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    std::vector<std::string> names;
    if (const int err = Source().List(path, names); err != 0)
        return -err;
    filler(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    filler(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    for (const std::string& name : names)
        if (filler(buffer, name.c_str(), nullptr, 0, static_cast<fuse_fill_dir_flags>(0)) != 0)
            break;
    return 0;
}

int Open(const char* path, fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY)
        return -EROFS;
    std::uint64_t handle = 0;
    if (const int err = Source().Open(path, handle); err != 0)
        return -err;
    fi->fh = handle;
    return 0;
}

int Read(const char*, char* buffer, std::size_t size, off_t offset, fuse_file_info* fi) {
    if (offset < 0)
        return -EINVAL;
    const long got = Source().Read(fi->fh, static_cast<std::uint64_t>(offset), buffer, size);
    return static_cast<int>(got);
}

int Release(const char*, fuse_file_info* fi) {
    Source().Release(fi->fh);
    return 0;
}

void* Init(fuse_conn_info*, fuse_config* config) {
    // Inode numbers of our own would mean nothing to anyone.
    config->use_ino = 0;
    return fuse_get_context()->private_data;
}

struct TArgsFree {
    void operator()(fuse_args* args) const { fuse_opt_free_args(args); }
};

} // namespace

void ServeFolder(TMountSource& source, const std::string& folder, bool foreground,
                 const std::function<void()>& mounted) {
    fuse_operations ops{};
    ops.getattr = &GetAttr;
    ops.readdir = &ReadDir;
    ops.open = &Open;
    ops.read = &Read;
    ops.release = &Release;
    ops.init = &Init;

    fuse_args args = FUSE_ARGS_INIT(0, nullptr);
    const std::unique_ptr<fuse_args, TArgsFree> freed(&args);
    fuse_opt_add_arg(&args, "zorvak-pak");
    // Read-only, the modes checked by the kernel, named for mount's list.
    fuse_opt_add_arg(&args, "-oro,default_permissions,fsname=zorvak-pak,subtype=zorvak-pak");
    fuse* served = fuse_new(&args, &ops, sizeof ops, &source);
    if (served == nullptr)
        throw TFailure(
            FormatText(Tr("Cannot mount at {1}: the file system could not be set up"), folder));
    const std::unique_ptr<fuse, decltype(&fuse_destroy)> destroyed(served, &fuse_destroy);
    if (fuse_mount(served, folder.c_str()) != 0)
        throw TFailure(FormatText(Tr("Cannot mount at {1}: refused (is it a folder you may use, "
                                     "and is /dev/fuse there?)"),
                                  folder));
    fuse_session* session = fuse_get_session(served);
    if (fuse_set_signal_handlers(session) != 0) {
        fuse_unmount(served);
        throw TFailure(FormatText(Tr("Cannot mount at {1}: signals cannot be handled"), folder));
    }
    if (mounted)
        mounted();
    // The folder is there before the parent returns: a script may use it
    // at once.
    fuse_daemonize(foreground ? 1 : 0);
    fuse_loop(served);
    fuse_remove_signal_handlers(session);
    fuse_unmount(served);
}

} // namespace zorvak
