#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace report {

// Decodes the photographs of a report in the order they are drawn, one at a time on a thread of
// its own, at most one ahead of the one being drawn: decoding the next photograph overlaps with
// drawing the last, and no more than three pictures (at the drawn size) are ever held.
class PhotoQueue {
  public:
    // Every file is fitted into `box` pixels.
    PhotoQueue(std::vector<QString> files, QSize box);
    ~PhotoQueue();
    PhotoQueue(const PhotoQueue&) = delete;
    PhotoQueue& operator=(const PhotoQueue&) = delete;

    // The next photograph in order, waiting for its decoding if need be; a null picture for a file
    // that is missing or cannot be read, or once all were taken.
    QImage take();

  private:
    void work();

    const std::vector<QString> files_;
    const QSize box_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t taken_ = 0;   // pictures handed out
    std::size_t decoded_ = 0; // pictures decoded (ready_ holds those not yet taken)
    std::vector<QImage> ready_;
    bool stop_ = false;
    std::thread worker_;
};

} // namespace report
