#pragma once

#include "pictures/jpeg_decode.h"

#include <QSize>
#include <QString>
#include <QStringList>

// Report-size copies of photographs ("renditions"), so that the insurance report and the tiles of
// the Pictures page need not decode a camera's whole file each time. A 1/n-scale decode still
// reads every coefficient of the file; a rendition is a small JPEG file of its own.
//
// A rendition is the photograph upright (EXIF orientation applied), fitted into the report's
// photograph box at 200 dpi (kRenditionWidth x kRenditionHeight; never below a tile in either
// direction), written as a JPEG file of quality kRenditionQuality into
// <program folder>/Cache/Photographs/. Its name is a hash of the photograph's absolute path, size,
// modification and change times (to the nanosecond), device and file number, so an edited or
// replaced photograph never finds the old copy. The file ends in a check sum over its bytes and
// that key: a damaged or foreign file is never used, and is replaced when next made. A file is
// written beside its name and renamed into place, so no half-written rendition is ever seen.
// A photograph no larger than its rendition has none: it is decoded directly.
//
// Nothing of this touches a widget, and every function may run on any thread. A failure of the
// cache (a folder that cannot be written, a damaged file) is never the user's: the photograph is
// decoded from its own file as before.
namespace pictures {

// The report's 60 x 45 mm photograph box at 200 dpi, the resolution photographs are printed at.
inline constexpr int kRenditionWidth = 472;
inline constexpr int kRenditionHeight = 354;
inline constexpr int kRenditionQuality = 90;

// <programFolder>/Cache/Photographs/, with its trailing '/'; outside Pictures, which backups
// copy, and touched by no backup or restore.
QString RenditionFolder(const QString& programFolder);

// The size of the rendition of a photograph of this upright size: fitted into
// kRenditionWidth x kRenditionHeight, aspect kept, or, for a very wide or tall one, as large as it
// takes to cover a tile (kThumbWidth x kThumbHeight) in both directions.
QSize RenditionSize(QSize upright);
// Whether a photograph of this upright size has a rendition: only when it is larger than the
// rendition in both directions.
bool TakesARendition(QSize upright);

struct RenditionLoad {
    Decoded picture;
    bool fromRendition = false;    // decoded from the rendition: the photograph was not read
    bool wroteRendition = false;   // the rendition was made and written on the way
    bool renditionMissing = false; // tile(): the photograph takes a rendition not made yet
};

class RenditionCache {
  public:
    // The cache of the program folder; an empty one has no cache (everything is decoded directly).
    explicit RenditionCache(const QString& programFolder);

    const QString& folder() const { return folder_; }
    // The file that holds, or would hold, the rendition of the photograph as it is now; empty
    // when the photograph cannot be found or there is no cache.
    QString renditionFile(const QString& path) const;

    // The photograph upright and fitted into boxWidth x boxHeight, as DecodeJpegToFit gives it:
    // from its rendition when there is a whole, current one that covers the box (decoded at the
    // smallest DCT scale that still does), else from the photograph itself, whose rendition is then
    // written for the next time.
    RenditionLoad load(const QString& path, int boxWidth, int boxHeight) const;
    // A tile of the Pictures page, as DecodeJpegThumbnail gives it: the camera's embedded
    // thumbnail when it stands for the photograph, else the rendition reduced, else the
    // photograph reduced by the decoder. Writes nothing (a rendition costs more than a tile):
    // renditionMissing tells the caller to have it made (MakeRenditionsLater).
    RenditionLoad tile(const QString& path) const;
    // Makes the photograph's rendition unless a whole, current one is there. True when one is
    // there afterwards or the photograph takes none.
    bool make(const QString& path) const;

  private:
    QString folder_;
};

// Has the renditions of these photographs made on a background thread (at low priority, one
// photograph at a time for each of at most two threads), each unless a current one is there;
// a photograph already waiting is not queued twice. Returns at once.
void MakeRenditionsLater(const QString& programFolder, const QStringList& paths);
// Waits until every rendition asked for is made.
void WaitForRenditions();
// Drops the renditions still waiting and waits for the ones being made: the end of a run (and of
// a test's program folder) calls this before the folder may go away.
void StopMakingRenditions();

} // namespace pictures
