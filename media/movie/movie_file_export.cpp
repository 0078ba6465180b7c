#include "media/movie/movie_file_export.h"

#include "core/files/atomic_file.h"

namespace {

class FileSink : public tbx::ExportSink {
public:
    explicit FileSink(CBK_AtomicFile& file) : _file(file) {}
    bool Write(const uint8_t* bytes, std::size_t size) override { return _file.Write(bytes, size); }
    bool WriteAt(uint64_t offset, const uint8_t* bytes, std::size_t size) override {
        return _file.WriteAt(offset, bytes, size);
    }
    uint64_t Size() const override { return _file.Size(); }

private:
    CBK_AtomicFile& _file;
};

} // namespace

tbx::OSErr BK_MovieExportToFile(tbx::ComponentInstance exporter, CBK_Path& path, tbx::Movie* movie,
                                tbx::TimeValue start, tbx::TimeValue duration) {
    CBK_AtomicFile file;
    if (!BK_OpenAtomicFile(file, path, true))
        return tbx::ioErr;
    FileSink sink(file);
    const tbx::OSErr result = tbx::MovieExportToSink(exporter, sink, movie, start, duration);
    if (result != tbx::noErr) {
        file.Discard();
        return result;
    }
    return file.Commit() ? tbx::OSErr(tbx::noErr) : tbx::OSErr(tbx::ioErr);
}
