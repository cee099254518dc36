// Under an X server: the result image on the CLIPBOARD as other programs see it. xclip reads
// it as a desktop paste does (INCR for large images); a small xcb peer in this file plays
// the parts xclip cannot: the raw TIMESTAMP and MULTIPLE answers, and a clipboard manager
// that takes the image at quit (or never answers).
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/system/clipboard.h"
#include "platform/system/linux/selection_rules.h"
#include "tests/platform/system/xclip_run.h"

using Clock = std::chrono::steady_clock;

namespace {

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> out(n);
    for (uint8_t& b : out) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return out;
}

std::string text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

// ---- A second X client -----------------------------------------------------------------

struct Reply {
    xcb_atom_t type = XCB_NONE;
    uint8_t format = 0;
    std::vector<uint8_t> bytes;
};

class Peer {
public:
    Peer() {
        for (int attempt = 0; attempt < 5; ++attempt) {  // see runXclip
            if (c_) xcb_disconnect(c_);
            c_ = xcb_connect(nullptr, nullptr);
            if (!xcb_connection_has_error(c_)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (xcb_connection_has_error(c_)) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        w_ = xcb_generate_id(c_);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          screen->root_visual, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
    }
    ~Peer() {
        for (xcb_generic_event_t* e : kept_) std::free(e);
        xcb_disconnect(c_);
    }
    bool ok() const { return !xcb_connection_has_error(c_); }
    xcb_window_t window() const { return w_; }

    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name),
                                        nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    }
    xcb_timestamp_t serverTime() {
        xcb_change_property(c_, XCB_PROP_MODE_APPEND, w_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(c_);
        xcb_generic_event_t* e = waitFor(
            [&](xcb_generic_event_t* ev) {
                return (ev->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                       reinterpret_cast<xcb_property_notify_event_t*>(ev)->atom == XCB_ATOM_WM_NAME;
            },
            std::chrono::seconds(5));
        const xcb_timestamp_t t = e ? reinterpret_cast<xcb_property_notify_event_t*>(e)->time : 0;
        std::free(e);
        return t;
    }
    xcb_window_t ownerOf(xcb_atom_t selection) {
        auto* r = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection), nullptr);
        const xcb_window_t owner = r ? r->owner : XCB_NONE;
        std::free(r);
        return owner;
    }
    // Sends an event to another client's window, as any client may (SendEvent).
    void sendTo(xcb_window_t window, const void* event, size_t size) {
        char wire[32] = {};
        std::memcpy(wire, event, std::min(size, sizeof wire));
        xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, wire);
        xcb_flush(c_);
    }
    bool own(xcb_atom_t selection) {
        xcb_set_selection_owner(c_, w_, selection, serverTime());
        auto* r = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection), nullptr);
        const bool mine = r && r->owner == w_;
        std::free(r);
        return mine;
    }
    void setAtoms(xcb_atom_t property, xcb_atom_t type, const std::vector<xcb_atom_t>& atoms) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w_, property, type, 32, static_cast<uint32_t>(atoms.size()),
                            atoms.data());
        xcb_flush(c_);
    }

    // Reads our property and deletes it; an INCR answer is followed piece by piece.
    std::optional<Reply> take(xcb_atom_t property) {
        std::optional<Reply> first = read(property);
        if (!first || first->type != atom("INCR")) return first;
        Reply whole;
        for (;;) {
            xcb_generic_event_t* e = waitFor(
                [&](xcb_generic_event_t* ev) {
                    auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
                    return (ev->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && p->window == w_ &&
                           p->atom == property && p->state == XCB_PROPERTY_NEW_VALUE;
                },
                std::chrono::seconds(10));
            if (!e) return std::nullopt;
            std::free(e);
            std::optional<Reply> piece = read(property);
            if (!piece) return std::nullopt;
            if (piece->type == XCB_NONE) continue;  // an older notice: the property is not there yet
            if (piece->bytes.empty()) return whole;
            pieces += 1;
            whole.type = piece->type;
            whole.format = piece->format;
            whole.bytes.insert(whole.bytes.end(), piece->bytes.begin(), piece->bytes.end());
        }
    }

    // Asks the owner of `selection` for `target` into `property` of our window; nullopt when
    // refused or unanswered.
    std::optional<Reply> convert(xcb_atom_t selection, xcb_atom_t target, xcb_atom_t property) {
        xcb_convert_selection(c_, w_, selection, target, property, XCB_CURRENT_TIME);
        xcb_flush(c_);
        xcb_generic_event_t* e = waitFor(
            [&](xcb_generic_event_t* ev) { return (ev->response_type & 0x7f) == XCB_SELECTION_NOTIFY; },
            std::chrono::seconds(10));
        if (!e) return std::nullopt;
        const xcb_atom_t got = reinterpret_cast<xcb_selection_notify_event_t*>(e)->property;
        std::free(e);
        if (got == XCB_NONE) return std::nullopt;
        return take(got);
    }

    // The next event that matches, within the time; events passed over are kept for later.
    xcb_generic_event_t* waitFor(const std::function<bool(xcb_generic_event_t*)>& match,
                                 std::chrono::milliseconds within) {
        for (auto it = kept_.begin(); it != kept_.end(); ++it) {
            if (match(*it)) {
                xcb_generic_event_t* e = *it;
                kept_.erase(it);
                return e;
            }
        }
        const auto deadline = Clock::now() + within;
        for (;;) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                if (match(e)) return e;
                kept_.push_back(e);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || !ok()) return nullptr;
            pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(std::min<long long>(left, 50)));
        }
    }

    xcb_connection_t* conn() { return c_; }
    int pieces = 0;

private:
    std::optional<Reply> read(xcb_atom_t property) {
        auto* r = xcb_get_property_reply(
            c_, xcb_get_property(c_, 1, w_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 24), nullptr);
        if (!r) return std::nullopt;
        Reply out;
        out.type = r->type;
        out.format = r->format;
        const auto* v = static_cast<const uint8_t*>(xcb_get_property_value(r));
        out.bytes.assign(v, v + xcb_get_property_value_length(r));  // in bytes
        std::free(r);
        xcb_flush(c_);
        return out;
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t w_ = XCB_NONE;
    std::vector<xcb_generic_event_t*> kept_;
};

std::vector<xcb_atom_t> atomsOf(const Reply& r) {
    std::vector<xcb_atom_t> out(r.bytes.size() / 4);
    std::memcpy(out.data(), r.bytes.data(), out.size() * 4);
    return out;
}

// A clipboard manager: owns CLIPBOARD_MANAGER and, asked to SAVE_TARGETS, fetches the image
// through MULTIPLE (as GNOME's manager does) and confirms, unless told to stay silent.
struct FakeManager {
    explicit FakeManager(bool answer) {
        thread = std::thread([this, answer] { run(answer); });
        while (!ready.load() && !failed.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~FakeManager() {
        stop = true;
        thread.join();
    }
    void run(bool answer) {
        Peer p;
        if (!p.ok() || !p.own(p.atom("CLIPBOARD_MANAGER"))) {
            failed = true;
            return;
        }
        ready = true;
        const xcb_atom_t saveTargets = p.atom("SAVE_TARGETS");
        xcb_generic_event_t* e = nullptr;
        while (!stop && !e) {
            e = p.waitFor(
                [&](xcb_generic_event_t* ev) {
                    return (ev->response_type & 0x7f) == XCB_SELECTION_REQUEST &&
                           reinterpret_cast<xcb_selection_request_event_t*>(ev)->target == saveTargets;
                },
                std::chrono::milliseconds(50));
        }
        if (!e) return;
        const xcb_selection_request_event_t request = *reinterpret_cast<xcb_selection_request_event_t*>(e);
        std::free(e);
        asked = true;
        if (!answer) return;
        const xcb_atom_t png = p.atom("image/png"), pngProp = p.atom("SAVED_PNG");
        const xcb_atom_t junk = p.atom("text/x-nothing-here"), junkProp = p.atom("SAVED_JUNK");
        const xcb_atom_t pairsProp = p.atom("SAVED_PAIRS");
        p.setAtoms(pairsProp, p.atom("ATOM_PAIR"), {png, pngProp, junk, junkProp});
        std::optional<Reply> pairs = p.convert(p.atom("CLIPBOARD"), p.atom("MULTIPLE"), pairsProp);
        if (pairs) {
            pairReply = atomsOf(*pairs);
            std::optional<Reply> image = p.take(pngProp);
            if (image) saved = image->bytes;
            pieces = p.pieces;
        }
        xcb_selection_notify_event_t n{};
        n.response_type = XCB_SELECTION_NOTIFY;
        n.time = request.time;
        n.requestor = request.requestor;
        n.selection = request.selection;
        n.target = request.target;
        n.property = request.property;
        char wire[32] = {};
        std::memcpy(wire, &n, sizeof n);
        xcb_send_event(p.conn(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, wire);
        xcb_flush(p.conn());
        // Stay until the test is done, so the selection stays owned while it looks.
        while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    std::thread thread;
    std::atomic<bool> ready{false}, failed{false}, stop{false}, asked{false};
    std::vector<uint8_t> saved;
    int pieces = 0;
    std::vector<xcb_atom_t> pairReply;
};

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        if (!xclip::available()) GTEST_SKIP() << "no X server or no xclip";
    }
    void TearDown() override { plat::releaseClipboard(0); }
};

// ---- Tests -----------------------------------------------------------------------------

TEST(SelectionChunk, FitsTheServersRequestsAndCapsAt256KiB) {
    struct Case {
        uint32_t words;
        size_t bytes;
    };
    const Case cases[] = {
        {65535, 262076},    // no BIG-REQUESTS: 256 KiB minus the header would not fit
        {4194303, 262144},  // BIG-REQUESTS: the cap
        {1000, 3936},
        {0, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::selectionChunkBytes(c.words), c.bytes) << c.words;
    EXPECT_LE(plat::selectionChunkBytes(65535) + 24, 65535u * 4);
}

TEST(SelectionTransfers, FoundByWindowAndPropertyAndCappedPerClient) {
    using plat::SelectionTransfers;
    // Clients own the ids that share the bits above 0xFFFF here.
    SelectionTransfers t(0xFFFF, 3);
    const uint32_t a1 = 0x10001, a2 = 0x10002, b = 0x20001;
    ASSERT_NE(t.start(a1, 1), nullptr);
    ASSERT_NE(t.start(a2, 1), nullptr);
    ASSERT_NE(t.start(a1, 2), nullptr);
    EXPECT_EQ(t.start(a2, 9), nullptr) << "client a holds its three";
    EXPECT_NE(t.start(a1, 1), nullptr) << "the same property begins again without taking more";
    ASSERT_NE(t.start(b, 1), nullptr) << "another client has its own share";
    EXPECT_EQ(t.size(), 4u);
    t.find(a1, 2)->offset = 77;
    EXPECT_EQ(t.find(a1, 2)->offset, 77u);
    EXPECT_EQ(t.find(a1, 2)->requestor, a1);
    EXPECT_EQ(t.find(a1, 3), nullptr);
    EXPECT_EQ(t.find(a1, 1)->offset, 0u);  // begun afresh

    EXPECT_FALSE(t.end(a1, 1)) << "a1 still has property 2 under way";
    EXPECT_TRUE(t.end(a1, 2));
    EXPECT_FALSE(t.holdsAny(a1));
    EXPECT_NE(t.start(a2, 9), nullptr) << "room again once earlier ones ended";
    t.endAllOf(a2);
    EXPECT_FALSE(t.holdsAny(a2));
    EXPECT_EQ(t.size(), 1u);
    for (uint32_t p = 10; p < 13; ++p) EXPECT_NE(t.start(a1, p), nullptr) << "a window gone frees its share";

    // Stalled ones end; the windows left without any are named once each.
    const auto now = std::chrono::steady_clock::now();
    for (uint32_t p = 10; p < 13; ++p) t.find(a1, p)->lastStep = now - std::chrono::seconds(20);
    t.find(b, 1)->lastStep = now;
    EXPECT_EQ(t.oldestStep(), now - std::chrono::seconds(20));
    EXPECT_EQ(t.endStalled(now - std::chrono::seconds(10)), std::vector<uint32_t>{a1});
    EXPECT_EQ(t.size(), 1u);
    EXPECT_EQ(t.oldestStep(), now);
    EXPECT_TRUE(t.end(b, 1));
    EXPECT_EQ(t.oldestStep(), std::chrono::steady_clock::time_point::max());
}

TEST_F(Clipboard, PastesGetTheExactBytesWholeOrInPieces) {
    const size_t chunk = plat::selectionChunkBytes(4194303);
    // Small, exactly one piece, one byte over (INCR with a 1-byte last piece), and the size
    // of a 1000 x 540 result image.
    for (size_t size : {size_t(1), size_t(5000), chunk, chunk + 1, size_t(1620000 + 57)}) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> png = noise(size, static_cast<uint32_t>(size));
        ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
        std::optional<std::vector<uint8_t>> got = xclip::paste("image/png");
        ASSERT_TRUE(got.has_value());
        EXPECT_TRUE(*got == png) << got->size() << " bytes back";
    }
    // It keeps answering: a second paste of the same copy.
    const std::vector<uint8_t> png = noise(700000, 3);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    for (int k = 0; k < 2; ++k) {
        std::optional<std::vector<uint8_t>> got = xclip::paste("image/png");
        ASSERT_TRUE(got.has_value());
        EXPECT_TRUE(*got == png);
    }
    EXPECT_FALSE(plat::setClipboardImage(nullptr, {}, {}));  // nothing to offer
}

TEST_F(Clipboard, TargetsTimestampAndRefusals) {
    const std::vector<uint8_t> png = noise(2000, 11);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    std::optional<std::vector<uint8_t>> targets = xclip::paste("TARGETS");
    ASSERT_TRUE(targets.has_value());
    for (const char* t : {"TARGETS", "TIMESTAMP", "MULTIPLE", "image/png"})
        EXPECT_NE(text(*targets).find(t), std::string::npos) << text(*targets);
    EXPECT_FALSE(xclip::paste("UTF8_STRING").has_value());  // not a text clipboard

    Peer p;
    ASSERT_TRUE(p.ok());
    const xcb_atom_t clipboard = p.atom("CLIPBOARD"), prop = p.atom("PEER_PROP");
    const xcb_timestamp_t before = p.serverTime();
    std::optional<Reply> stamp = p.convert(clipboard, p.atom("TIMESTAMP"), prop);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->type, XCB_ATOM_INTEGER);
    ASSERT_EQ(stamp->bytes.size(), 4u);
    uint32_t owned = 0;
    std::memcpy(&owned, stamp->bytes.data(), 4);
    EXPECT_GT(owned, 0u);
    EXPECT_LE(owned, before);  // the copy was taken before this moment

    // A request from before the copy was taken is refused.
    xcb_convert_selection(p.conn(), p.window(), clipboard, p.atom("image/png"), prop, owned - 1000);
    xcb_flush(p.conn());
    xcb_generic_event_t* e = p.waitFor(
        [](xcb_generic_event_t* ev) { return (ev->response_type & 0x7f) == XCB_SELECTION_NOTIFY; },
        std::chrono::seconds(10));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(reinterpret_cast<xcb_selection_notify_event_t*>(e)->property, XCB_NONE);
    std::free(e);
}

TEST_F(Clipboard, AnotherProgramTakesTheClipboardAndACopyTakesItBack) {
    const std::vector<uint8_t> png = noise(400000, 5);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    // xclip takes the selection (and serves one paste in the background).
    {
        const TempFolder dir;
        dir.write("in", "other text");
        ASSERT_EQ(xclip::run("-selection clipboard -i -loops 1 '" + dir.file("in") + "'", dir.at("out")), 0);
    }
    std::optional<std::vector<uint8_t>> other;
    for (int k = 0; k < 100 && !(other && text(*other) == "other text"); ++k) {
        other = xclip::paste("UTF8_STRING");
        if (!other) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(text(*other), "other text");
    // Having lost the clipboard, nothing is handed to a manager at quit.
    {
        FakeManager manager(true);
        ASSERT_FALSE(manager.failed.load());
        EXPECT_FALSE(plat::releaseClipboard(2000));
        EXPECT_FALSE(manager.asked.load());
    }
    // A new copy is ours again.
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    std::optional<std::vector<uint8_t>> got = xclip::paste("image/png");
    ASSERT_TRUE(got.has_value());
    EXPECT_TRUE(*got == png);
}

// A request that names the owner's own window as the requestor is not answered: the owner
// would write into its own window and, when that answer ended, clear the events it needs to
// take the clipboard for the next copy.
TEST_F(Clipboard, ARequestNamingTheOwnersOwnWindowIsRefused) {
    const std::vector<uint8_t> png = noise(700000, 21);  // INCR, so the requestor is watched
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    Peer p;
    ASSERT_TRUE(p.ok());
    const xcb_atom_t clipboard = p.atom("CLIPBOARD"), prop = p.atom("HOSTILE_PROP");
    const xcb_window_t owner = p.ownerOf(clipboard);
    ASSERT_NE(owner, static_cast<xcb_window_t>(XCB_NONE));
    // Watch the owner's window for property changes (event masks are each client's own).
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(p.conn(), owner, XCB_CW_EVENT_MASK, &mask);
    for (const char* target : {"image/png", "TARGETS", "MULTIPLE"})
        xcb_convert_selection(p.conn(), owner, clipboard, p.atom(target), prop, XCB_CURRENT_TIME);
    xcb_flush(p.conn());
    // An honest paste after them: once it is answered, so were they.
    ASSERT_TRUE(p.convert(clipboard, p.atom("TARGETS"), p.atom("PEER_PROP")).has_value());
    xcb_generic_event_t* e = p.waitFor(
        [&](xcb_generic_event_t* ev) {
            auto* n = reinterpret_cast<xcb_property_notify_event_t*>(ev);
            return (ev->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && n->window == owner && n->atom == prop;
        },
        std::chrono::milliseconds(300));
    EXPECT_EQ(e, nullptr) << "the owner wrote the answer into its own window";
    std::free(e);
    // Copies still take the clipboard and pastes get them.
    const std::vector<uint8_t> next = noise(5000, 22);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, next));
    std::optional<std::vector<uint8_t>> got = xclip::paste("image/png");
    ASSERT_TRUE(got.has_value());
    EXPECT_TRUE(*got == next);
}

// Any client may send a SelectionClear; only the server's word that another program owns
// the clipboard now makes the owner stop answering.
TEST_F(Clipboard, ASentSelectionClearDoesNotSilenceTheOwner) {
    const std::vector<uint8_t> png = noise(3000, 23);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    Peer p;
    ASSERT_TRUE(p.ok());
    const xcb_atom_t clipboard = p.atom("CLIPBOARD");
    xcb_selection_clear_event_t clear{};
    clear.response_type = XCB_SELECTION_CLEAR;
    clear.time = p.serverTime();
    clear.owner = p.ownerOf(clipboard);
    clear.selection = clipboard;
    ASSERT_NE(clear.owner, static_cast<xcb_window_t>(XCB_NONE));
    p.sendTo(clear.owner, &clear, sizeof clear);
    // Answered in order: the TARGETS paste comes after the event was taken.
    ASSERT_TRUE(p.convert(clipboard, p.atom("TARGETS"), p.atom("PEER_PROP")).has_value());
    std::optional<std::vector<uint8_t>> got = xclip::paste("image/png");
    ASSERT_TRUE(got.has_value()) << "the owner stopped answering";
    EXPECT_TRUE(*got == png);
}

// One client asking for many large answers at once gets its share; the rest are refused,
// and pastes by others go on.
TEST_F(Clipboard, OneClientHoldsOnlyItsShareOfLargeAnswers) {
    const std::vector<uint8_t> png = noise(700000, 24);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    Peer p;
    ASSERT_TRUE(p.ok());
    const xcb_atom_t clipboard = p.atom("CLIPBOARD"), pngTarget = p.atom("image/png");
    const int asked = static_cast<int>(plat::kSelectionTransfersPerClient) + 12;
    for (int i = 0; i < asked; ++i)
        xcb_convert_selection(p.conn(), p.window(), clipboard, pngTarget, p.atom(("HOARD_" + std::to_string(i)).c_str()),
                              XCB_CURRENT_TIME);
    xcb_flush(p.conn());
    int granted = 0, answered = 0;
    while (answered < asked) {
        xcb_generic_event_t* e = p.waitFor(
            [](xcb_generic_event_t* ev) { return (ev->response_type & 0x7f) == XCB_SELECTION_NOTIFY; },
            std::chrono::seconds(10));
        ASSERT_NE(e, nullptr) << answered << " of " << asked << " answered";
        ++answered;
        if (reinterpret_cast<xcb_selection_notify_event_t*>(e)->property != XCB_NONE) ++granted;
        std::free(e);
    }
    EXPECT_EQ(granted, static_cast<int>(plat::kSelectionTransfersPerClient));
    // Another client's paste is whole.
    std::optional<std::vector<uint8_t>> got = xclip::paste("image/png");
    ASSERT_TRUE(got.has_value());
    EXPECT_TRUE(*got == png);
}

// Quitting while a flood of requests waits: the hand-over keeps to its limit instead of
// first answering everything queued.
TEST_F(Clipboard, QuitDuringAFloodOfRequestsKeepsItsLimit) {
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, noise(700000, 25)));
    FakeManager manager(false);
    ASSERT_FALSE(manager.failed.load());
    Peer p;
    ASSERT_TRUE(p.ok());
    const xcb_atom_t clipboard = p.atom("CLIPBOARD"), pngTarget = p.atom("image/png");
    // 50,000 windows and properties to answer into, each asked twice.
    std::vector<xcb_atom_t> props;
    for (int i = 0; i < 2000; ++i) props.push_back(p.atom(("FLOOD_" + std::to_string(i)).c_str()));
    std::vector<xcb_window_t> windows;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(p.conn())).data;
    for (int i = 0; i < 25; ++i) {
        windows.push_back(xcb_generate_id(p.conn()));
        xcb_create_window(p.conn(), XCB_COPY_FROM_PARENT, windows.back(), screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
    }
    for (int round = 0; round < 2; ++round)
        for (xcb_window_t w : windows)
            for (xcb_atom_t prop : props) xcb_convert_selection(p.conn(), w, clipboard, pngTarget, prop, XCB_CURRENT_TIME);
    xcb_flush(p.conn());
    const auto start = Clock::now();
    EXPECT_FALSE(plat::releaseClipboard(300));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(Clipboard, AtQuitAManagerGetsTheImageThroughMultiple) {
    const std::vector<uint8_t> png = noise(1620057, 7);
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, png));
    FakeManager manager(true);
    ASSERT_FALSE(manager.failed.load());
    const auto start = Clock::now();
    EXPECT_TRUE(plat::releaseClipboard(10000));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(8));
    EXPECT_TRUE(manager.asked.load());
    EXPECT_TRUE(manager.saved == png) << manager.saved.size() << " bytes saved";
    EXPECT_EQ(manager.pieces, 7);  // INCR: 1.6 MB in 256 KiB pieces
    // The pair we have no target for comes back with None.
    ASSERT_EQ(manager.pairReply.size(), 4u);
    EXPECT_NE(manager.pairReply[0], static_cast<xcb_atom_t>(XCB_NONE));
    EXPECT_EQ(manager.pairReply[2], static_cast<xcb_atom_t>(XCB_NONE));
    // After the hand-over this program no longer answers.
    EXPECT_FALSE(xclip::paste("image/png").has_value());
}

TEST_F(Clipboard, QuitWaitsForASilentManagerOnlyAsLongAsAllowed) {
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, noise(3000, 9)));
    FakeManager manager(false);
    ASSERT_FALSE(manager.failed.load());
    const auto start = Clock::now();
    EXPECT_FALSE(plat::releaseClipboard(300));
    const auto took = Clock::now() - start;
    EXPECT_TRUE(manager.asked.load());
    EXPECT_GE(took, std::chrono::milliseconds(250));
    EXPECT_LT(took, std::chrono::seconds(3));
}

TEST_F(Clipboard, WithoutADisplayNothingIsCopied) {
    // Not through ScopedEnv: the sanitizer build of this file links the clipboard alone.
    const std::string display = std::getenv("DISPLAY");
    ::unsetenv("DISPLAY");
    const bool copied = plat::setClipboardImage(nullptr, {}, noise(100, 1));
    ::setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(copied);
    EXPECT_FALSE(plat::releaseClipboard(1000));
}

TEST_F(Clipboard, WithoutAManagerQuitIsImmediate) {
    ASSERT_TRUE(plat::setClipboardImage(nullptr, {}, noise(3000, 13)));
    const auto start = Clock::now();
    EXPECT_FALSE(plat::releaseClipboard(5000));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(plat::releaseClipboard(5000));  // nothing left to release
}

}  // namespace
