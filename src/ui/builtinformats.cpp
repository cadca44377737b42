// SPDX-License-Identifier: MIT

// Qt finds the reader for a picture file it opens by name itself (the style's standard icons, the
// window icon, an icon theme's pictures) by asking every image-format plugin whether it reads that
// format, loading all of them, before it takes its own built-in reader. This plugin, built into
// the program, claims the two formats Qt reads that way here, PNG and XPM, and reads them with
// Qt's own built-in readers: the same pictures, and no plugin library is loaded. Its handler asks
// a reader of its own for the format, without detection; while that reader looks for a handler
// the plugin declines, so Qt takes its built-in one.

#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QSize>
#include <QVariant>

namespace {

thread_local bool asking = false;

// A reader of the handler's format over its device, with the plugin declining while it is made.
class BuiltInReader
{
public:
    BuiltInReader(QIODevice *device, const QByteArray &format) : m_reader(device, format)
    {
        m_reader.setAutoDetectImageFormat(false);
        asking = true;
        m_canRead = m_reader.canRead(); // finds the built-in handler
        asking = false;
    }

    QImageReader *operator->() { return &m_reader; }
    bool canRead() const { return m_canRead; }

private:
    QImageReader m_reader;
    bool m_canRead = false;
};

class BuiltInHandler final : public QImageIOHandler
{
public:
    // From the first bytes, as the built-in handlers tell: Qt asks this while it holds the lock
    // under which it looks for handlers, so no reader can be made here.
    bool canRead() const override
    {
        if (!device())
            return false;
        if (format() == "png")
            return device()->peek(8) == QByteArrayView("\x89PNG\r\n\x1a\n", 8);
        return device()->peek(6) == "/* XPM";
    }

    bool read(QImage *image) override
    {
        BuiltInReader reader(device(), format());
        return reader.canRead() && reader->read(image);
    }

    bool supportsOption(ImageOption option) const override
    {
        return option == Size || option == ImageFormat;
    }

    // Read from the header, which leaves the device where the picture's reading starts.
    QVariant option(ImageOption option) const override
    {
        if (!device() || device()->isSequential())
            return {};
        const qint64 at = device()->pos();
        QVariant value;
        {
            BuiltInReader reader(device(), format());
            if (reader.canRead() && option == Size)
                value = reader->size();
            else if (reader.canRead() && option == ImageFormat)
                value = reader->imageFormat();
        }
        device()->seek(at);
        return value;
    }
};

} // namespace

class BuiltInFormats final : public QImageIOPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "builtinformats.json")

public:
    Capabilities capabilities(QIODevice *, const QByteArray &format) const override
    {
        if (asking || (format != "png" && format != "xpm"))
            return {};
        return CanRead;
    }

    QImageIOHandler *create(QIODevice *device, const QByteArray &format) const override
    {
        auto *handler = new BuiltInHandler;
        handler->setDevice(device);
        handler->setFormat(format);
        return handler;
    }
};

#include "builtinformats.moc"
