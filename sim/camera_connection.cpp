#include "camera_connection.h"

#include "sim_camera.h"

#include <algorithm>

namespace camsim {

CameraConnection::CameraConnection(SimCamera& camera, asio::ip::tcp::socket socket)
    : camera_(camera), socket_(std::move(socket)), deadline_(socket_.get_executor()),
      pace_(socket_.get_executor()), buffer_(64 * 1024) {}

void CameraConnection::start() {
    if (camera_.silentFromStart()) {
        camera_.logEvent("connect", "", "no answer (stops answering)");
        goSilent();
    } else {
        readHead();
    }
}

void CameraConnection::abort() {
    if (closed_) {
        return;
    }
    finish();
}

void CameraConnection::finish() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (upload_) {
        camera_.uploadLost(upload_->received(), uploadExpected_, "connection closed");
        upload_.reset();
    }
    std::error_code ignored;
    socket_.close(ignored);
    deadline_.cancel();
    pace_.cancel();
    camera_.release(this);
    restartNowIfAsked();
}

void CameraConnection::restartNowIfAsked() {
    if (restartCamera_) {
        restartCamera_ = false;
        camera_.restart("reboot request");
    }
}

void CameraConnection::armDeadline(Clock::duration timeout) {
    // Moving the timer on every read costs more than a fast read itself, so a
    // later deadline only moves deadlineAt_; a timer that fires before it is
    // sent on. The connection is still cut off exactly when deadlineAt_ passes.
    deadlineAt_ = Clock::now() + timeout;
    if (deadlineWaiting_ && deadline_.expiry() <= deadlineAt_) {
        return;
    }
    waitForDeadline(deadlineAt_);
}

void CameraConnection::waitForDeadline(Clock::time_point when) {
    deadlineWaiting_ = true;
    deadline_.expires_at(when);
    deadline_.async_wait([self = shared_from_this()](std::error_code ec) {
        // A wait cancelled because the timer was set earlier has a successor
        // already; one cancelled by finish() has nothing left to do.
        if (ec || self->closed_) {
            return;
        }
        self->deadlineWaiting_ = false;
        if (Clock::now() < self->deadlineAt_) {
            self->waitForDeadline(self->deadlineAt_);
            return;
        }
        if (self->upload_) {
            self->camera_.uploadLost(self->upload_->received(), self->uploadExpected_,
                                     "client stalled");
            self->upload_.reset();
        }
        self->finish();
    });
}

void CameraConnection::readSome(std::size_t maxBytes, Clock::duration timeout, DataHandler onData) {
    armDeadline(timeout);
    maxBytes = std::clamp<std::size_t>(maxBytes, 1, buffer_.size());
    socket_.async_read_some(
        asio::buffer(buffer_.data(), maxBytes),
        [self = shared_from_this(), onData = std::move(onData)](std::error_code ec, std::size_t n) {
            if (self->closed_) {
                return;
            }
            if (ec) {
                self->finish();
                return;
            }
            onData(self->buffer_.data(), n);
        });
}

void CameraConnection::readHead() {
    if (!pending_.empty()) {
        std::string bytes = std::move(pending_);
        pending_.clear();
        feedHead(bytes.data(), bytes.size());
        return;
    }
    readSome(buffer_.size(), parser_.started() ? Clock::duration(kIoTimeout) : kIdleTimeout,
             [this](const unsigned char* data, std::size_t n) {
                 feedHead(reinterpret_cast<const char*>(data), n);
             });
}

void CameraConnection::feedHead(const char* data, std::size_t size) {
    std::size_t consumed = 0;
    HttpHeadParser::Status status = parser_.feed(data, size, consumed);
    pending_.assign(data + consumed, size - consumed);
    if (status == HttpHeadParser::Status::NeedMore) {
        readHead();
        return;
    }
    if (status == HttpHeadParser::Status::Error) {
        camera_.logEvent("bad request", parser_.errorMessage(),
                         std::to_string(parser_.errorStatus()));
        HttpResponse response = errorResponse(parser_.errorStatus(), 4, parser_.errorMessage());
        response.close = true;
        respond(std::move(response));
        return;
    }
    dispatch();
}

void CameraConnection::dispatch() {
    request_ = std::move(parser_.request());
    parser_.reset();
    label_ = request_.method + " " + std::string(request_.path());
    if (camera_.countRequestAndCheckSilent()) {
        camera_.logEvent(label_, "", "no answer (stops answering)");
        goSilent();
        return;
    }
    AuthVerdict verdict = camera_.authenticate(request_);
    if (verdict != AuthVerdict::Ok) {
        HttpResponse response = errorResponse(401, 2, "authentication required");
        for (std::string& challenge : camera_.challenges(verdict == AuthVerdict::StaleNonce)) {
            response.headers.emplace_back("WWW-Authenticate", std::move(challenge));
        }
        camera_.logEvent(label_, "", std::string("401 ") + authVerdictText(verdict));
        respondSkippingBody(std::move(response));
        return;
    }
    const std::string_view path = request_.path();
    const std::string& method = request_.method;
    auto allow = [&](const char* allowed) {
        HttpResponse response = errorResponse(405, 4, "method not allowed");
        response.headers.emplace_back("Allow", allowed);
        camera_.logEvent(label_, "", "405");
        respondSkippingBody(std::move(response));
    };
    if (path == "/api/v1/firmware") {
        if (method == "POST") {
            startUpload();
        } else if (method == "GET") {
            readSmallBody([this](std::string body) { handle(body); });
        } else {
            allow("GET, POST");
        }
    } else if (path == "/api/v1/device") {
        if (method == "GET") {
            readSmallBody([this](std::string body) { handle(body); });
        } else {
            allow("GET");
        }
    } else if (path == "/api/v1/reboot" || path == "/api/v1/shell") {
        if (method == "POST") {
            readSmallBody([this](std::string body) { handle(body); });
        } else {
            allow("POST");
        }
    } else {
        camera_.logEvent(label_, "", "404");
        respondSkippingBody(errorResponse(404, 4, "no such resource"));
    }
}

void CameraConnection::readSmallBody(std::function<void(std::string)> next) {
    if (request_.chunked) {
        HttpResponse response = errorResponse(411, 4, "a Content-Length is required");
        camera_.logEvent(label_, "chunked body", "411");
        response.close = true;
        respond(std::move(response));
        return;
    }
    std::uint64_t length = request_.contentLength.value_or(0);
    if (length > kMaxJsonBody) {
        camera_.logEvent(label_, std::to_string(length) + " bytes", "413");
        respondSkippingBody(errorResponse(413, 4, "body larger than 64 KiB"));
        return;
    }
    auto body = std::make_shared<std::string>();
    auto collect = [this, length, body, next = std::move(next)]() {
        collectBody(length, body.get(), [body, next]() { next(std::move(*body)); });
    };
    if (request_.expectContinue && length > 0) {
        writeAll(std::make_shared<std::string>("HTTP/1.1 100 Continue\r\n\r\n"), collect);
    } else {
        collect();
    }
}

void CameraConnection::collectBody(std::uint64_t remaining, std::string* sink,
                                   std::function<void()> done) {
    if (!pending_.empty()) {
        std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, pending_.size()));
        if (sink != nullptr) {
            sink->append(pending_, 0, take);
        }
        pending_.erase(0, take);
        remaining -= take;
    }
    if (remaining == 0) {
        done();
        return;
    }
    readSome(static_cast<std::size_t>(std::min<std::uint64_t>(remaining, buffer_.size())),
             kIoTimeout,
             [this, remaining, sink, done = std::move(done)](const unsigned char* data,
                                                             std::size_t n) mutable {
                 if (sink != nullptr) {
                     sink->append(reinterpret_cast<const char*>(data), n);
                 }
                 collectBody(remaining - n, sink, std::move(done));
             });
}

void CameraConnection::handle(const std::string& body) {
    const std::string_view path = request_.path();
    if (path == "/api/v1/device") {
        HttpResponse response = camera_.readDevice();
        camera_.logEvent(label_, "", std::to_string(response.status));
        respond(std::move(response));
    } else if (path == "/api/v1/firmware") {
        HttpResponse response = camera_.firmwareState();
        camera_.logEvent(label_, response.body, std::to_string(response.status));
        respond(std::move(response));
    } else if (path == "/api/v1/reboot") {
        camera_.logEvent(label_, "", "202");
        HttpResponse response = jsonResponse(202, "{}");
        response.close = true;
        camera_.stopListening();
        // The restart happens whether or not the client reads the answer.
        restartCamera_ = true;
        respond(std::move(response), [this]() { restartNowIfAsked(); });
    } else {
        respond(camera_.runShell(body));
    }
}

void CameraConnection::startUpload() {
    if (camera_.uploadBusy()) {
        camera_.logEvent(label_, "", "409 error 9");
        respondSkippingBody(errorResponse(409, 9, "busy: an upload is already flashing"));
        return;
    }
    if (request_.chunked || !request_.contentLength) {
        camera_.logEvent(label_, "no Content-Length", "411");
        HttpResponse response = errorResponse(411, 5, "an exact Content-Length is required");
        response.close = true;
        respond(std::move(response));
        return;
    }
    camera_.beginUpload();
    upload_ = std::make_unique<UploadCheck>();
    uploadExpected_ = *request_.contentLength;
    uploadSha_ = std::string(request_.header("X-Firmware-Sha256").value_or(""));
    dropAt_ = camera_.dropUploadAt(uploadExpected_);
    uploadStart_ = Clock::now();
    camera_.logEvent(label_, std::to_string(uploadExpected_) + " bytes", "receiving");
    if (request_.expectContinue) {
        writeAll(std::make_shared<std::string>("HTTP/1.1 100 Continue\r\n\r\n"),
                 [this]() { continueUpload(); });
    } else {
        continueUpload();
    }
}

void CameraConnection::readUpload(std::size_t maxBytes) {
    armDeadline(kIoTimeout);
    // The body is read straight into the check's buffers: no copy, and reads
    // far larger than the connection's own buffer.
    auto [data, capacity] = upload_->writable();
    maxBytes = std::clamp<std::size_t>(maxBytes, 1, capacity);
    socket_.async_read_some(asio::buffer(data, maxBytes),
                            [self = shared_from_this()](std::error_code ec, std::size_t n) {
                                if (self->closed_) {
                                    return;
                                }
                                if (ec) {
                                    self->finish();
                                    return;
                                }
                                self->upload_->commit(n);
                                self->continueUpload();
                            });
}

void CameraConnection::continueUpload() {
    const std::uint64_t received = upload_->received();
    if (dropAt_ && received >= *dropAt_) {
        camera_.uploadLost(received, uploadExpected_, "dropped on purpose (fault)");
        upload_.reset();
        finish();
        return;
    }
    std::uint64_t limit = uploadExpected_ - received;
    if (dropAt_) {
        limit = std::min(limit, *dropAt_ - received);
    }
    if (limit == 0) {
        UploadVerdict verdict = upload_->finish(
            uploadExpected_, uploadSha_, camera_.config().platform, camera_.runningVersion());
        upload_.reset();
        respond(camera_.finishUpload(verdict));
        return;
    }
    if (!pending_.empty()) {
        std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(limit, pending_.size()));
        upload_->feed(reinterpret_cast<const unsigned char*>(pending_.data()), take);
        pending_.erase(0, take);
        continueUpload();
        return;
    }
    const double rate = camera_.uploadBytesPerSecond();
    std::size_t chunk = UploadCheck::kBufferSize;
    if (rate > 0) {
        // Take the body in slices of about 50 ms worth so the pace is even.
        chunk = std::clamp<std::size_t>(static_cast<std::size_t>(rate / 20), 1, buffer_.size());
        auto due =
            uploadStart_ + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(static_cast<double>(received) / rate));
        if (due > Clock::now()) {
            armDeadline(due - Clock::now() + kIoTimeout);
            pace_.expires_at(due);
            pace_.async_wait([self = shared_from_this(), limit, chunk](std::error_code ec) {
                if (ec || self->closed_) {
                    return;
                }
                self->readUpload(static_cast<std::size_t>(std::min<std::uint64_t>(limit, chunk)));
            });
            return;
        }
    }
    readUpload(static_cast<std::size_t>(std::min<std::uint64_t>(limit, chunk)));
}

void CameraConnection::respond(HttpResponse response, std::function<void()> afterWrite) {
    if (!request_.keepAlive) {
        response.close = true;
    }
    const bool close = response.close;
    auto data = std::make_shared<std::string>(serializeResponse(response));
    auto next = [this, close, afterWrite = std::move(afterWrite)]() {
        if (afterWrite) {
            afterWrite();
        }
        if (closed_) {
            return;
        }
        if (close) {
            gracefulClose();
        } else {
            readHead();
        }
    };
    if (camera_.trickleMs() > 0) {
        writeTrickle(data, 0, std::move(next));
    } else {
        writeAll(data, std::move(next));
    }
}

void CameraConnection::respondSkippingBody(HttpResponse response) {
    std::uint64_t length = request_.contentLength.value_or(0);
    if (!request_.chunked && length == 0) {
        respond(std::move(response));
    } else if (!request_.chunked && length <= kMaxJsonBody && !request_.expectContinue) {
        // Small enough to read past, which keeps the connection usable.
        auto held = std::make_shared<HttpResponse>(std::move(response));
        collectBody(length, nullptr, [this, held]() { respond(std::move(*held)); });
    } else {
        // Answer before the body and close: the drain in gracefulClose keeps
        // the kernel from resetting the connection under the client's read.
        // A client that goes on sending the body anyway is read to its end.
        if (!request_.chunked && !request_.expectContinue) {
            unsentBody_ = length - std::min<std::uint64_t>(length, pending_.size());
        }
        response.close = true;
        respond(std::move(response));
    }
}

void CameraConnection::writeAll(std::shared_ptr<std::string> data, std::function<void()> done) {
    armDeadline(kIoTimeout);
    asio::async_write(
        socket_, asio::buffer(*data),
        [self = shared_from_this(), data, done = std::move(done)](std::error_code ec, std::size_t) {
            if (self->closed_) {
                return;
            }
            if (ec) {
                self->finish();
                return;
            }
            done();
        });
}

void CameraConnection::writeTrickle(std::shared_ptr<std::string> data, std::size_t index,
                                    std::function<void()> done) {
    if (index >= data->size()) {
        done();
        return;
    }
    armDeadline(kIoTimeout);
    asio::async_write(
        socket_, asio::buffer(data->data() + index, 1),
        [self = shared_from_this(), data, index, done = std::move(done)](std::error_code ec,
                                                                         std::size_t) mutable {
            if (self->closed_) {
                return;
            }
            if (ec) {
                self->finish();
                return;
            }
            self->pace_.expires_after(std::chrono::milliseconds(self->camera_.trickleMs()));
            self->pace_.async_wait(
                [self, data, index, done = std::move(done)](std::error_code waitEc) mutable {
                    if (waitEc || self->closed_) {
                        return;
                    }
                    self->writeTrickle(data, index + 1, std::move(done));
                });
        });
}

void CameraConnection::goSilent() {
    pending_.clear();
    readSome(buffer_.size(), kSilentTimeout,
             [this](const unsigned char*, std::size_t) { goSilent(); });
}

void CameraConnection::gracefulClose() {
    if (!drainUntil_) {
        std::error_code ignored;
        socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
        drainUntil_ = Clock::now() + kDrainTimeout;
    }
    pending_.clear();
    auto left = *drainUntil_ - Clock::now();
    if (left <= Clock::duration::zero()) {
        finish();
        return;
    }
    readSome(buffer_.size(), left, [this](const unsigned char*, std::size_t n) {
        if (unsentBody_ > 0) {
            // Still the body of the answered request: keep the drain alive.
            unsentBody_ -= std::min<std::uint64_t>(unsentBody_, n);
            drainUntil_ =
                Clock::now() + (unsentBody_ > 0 ? Clock::duration(kIoTimeout) : kDrainTimeout);
        }
        gracefulClose();
    });
}

} // namespace camsim
