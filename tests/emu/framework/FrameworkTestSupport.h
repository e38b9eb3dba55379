#pragma once
// Shared helpers of the framework tests: expected record bytes, a memory
// stream wrapper, and test doubles of the memory map, port space, interrupt
// tables and machine that record what the binder installs.
#include <cstdint>
#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CDeviceParameter.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CParameterBinder.h"
#include "emu/framework/CPorts.h"

namespace test {

typedef std::vector<uint8_t> Bytes;

// Record bytes as the serializer writes them.
inline void AppendName(Bytes& out, const std::string& name) {
    const uint8_t kind = 0x81;
    const size_t length = name.size();
    out.push_back(kind);
    out.push_back(static_cast<uint8_t>(kind ^ (length & 0xFF) ^ (length >> 8)));
    out.push_back(static_cast<uint8_t>(length & 0xFF));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.insert(out.end(), name.begin(), name.end());
}
inline void AppendBegin(Bytes& out, const std::string& name) {
    out.push_back(0xF0);
    AppendName(out, name);
}
inline void AppendEnd(Bytes& out, const std::string& name) {
    out.push_back(0xFF);
    AppendName(out, name);
}
inline void AppendU8Field(Bytes& out, const std::string& name, uint8_t value) {
    out.push_back(0xF8);
    AppendName(out, name);
    out.push_back(0x00);
    out.push_back(value);
}
inline void AppendBoolField(Bytes& out, const std::string& name, bool value) {
    out.push_back(0xF8);
    AppendName(out, name);
    out.push_back(0x40);
    out.push_back(value ? 1 : 0);
}
// A chunk holding only the field "VER" = version ("_CFP", "_DEV").
inline void AppendVersionChunk(Bytes& out, const std::string& name, uint8_t version = 0) {
    AppendBegin(out, name);
    AppendU8Field(out, "VER", version);
    AppendEnd(out, name);
}
// The opening of an object's chunk: marker, name, "_VER", "_ENBL".
inline void AppendObjectHead(Bytes& out, const std::string& name, bool enabled, uint8_t version = 0) {
    AppendBegin(out, name);
    AppendU8Field(out, "_VER", version);
    AppendBoolField(out, "_ENBL", enabled);
}
// A device's own data: "_CFP" and "_DEV".
inline void AppendDeviceData(Bytes& out) {
    AppendVersionChunk(out, "_CFP");
    AppendVersionChunk(out, "_DEV");
}

// A growable memory stream with helpers to read back or preload its bytes.
class CTestStream {
public:
    CTestStream() { m_stream.Create(0, -1); }
    explicit CTestStream(const Bytes& bytes) {
        m_stream.Create(0, -1);
        if (!bytes.empty())
            m_stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        m_stream.Seek(0);
    }
    common::CMemoryStream& Stream() { return m_stream; }
    Bytes GetBytes() {
        const uint8_t* data = m_stream.GetBuffer();
        return Bytes(data, data + m_stream.GetSize());
    }
    int64_t GetPosition() const { return m_stream.GetPosition(); }

private:
    common::CMemoryStream m_stream;
};

// Memory map double: a table of pages recording each page's handlers.
class CFakeMemory : public emu::CMemory {
public:
    struct CPage {
        void* readContext = nullptr;
        ReadHandler read = nullptr;
        void* writeContext = nullptr;
        WriteHandler write = nullptr;
    };

    explicit CFakeMemory(uint32_t pageCount) : m_pages(pageCount) {}

    bool SetReadHandler(uint32_t firstPage, uint32_t count, void* context, ReadHandler handler,
                        bool /*passUnaliased*/) override {
        for (uint32_t i = 0; i < count; ++i) {
            if (firstPage + i >= m_pages.size())
                return false;
            m_pages[firstPage + i].readContext = handler != nullptr ? context : nullptr;
            m_pages[firstPage + i].read = handler;
        }
        return true;
    }
    bool SetWriteHandler(uint32_t firstPage, uint32_t count, void* context, WriteHandler handler,
                         bool /*passUnaliased*/) override {
        for (uint32_t i = 0; i < count; ++i) {
            if (firstPage + i >= m_pages.size())
                return false;
            m_pages[firstPage + i].writeContext = handler != nullptr ? context : nullptr;
            m_pages[firstPage + i].write = handler;
        }
        return true;
    }

    std::vector<CPage> m_pages;
};

// Port space double: one input (plain or status) and one output entry per port.
class CFakePorts : public emu::CPorts {
public:
    struct CEntry {
        void* inputContext = nullptr;
        InputHandler input = nullptr;
        InputHandlerWithStatus statusInput = nullptr;
        void* outputContext = nullptr;
        OutputHandler output = nullptr;
    };

    CFakePorts() : m_entries(kLastPort + 1) {}

    // As the port space: a null handler changes nothing.
    bool SetInputHandler(uint32_t port, void* context, InputHandler handler) override {
        if (port > kLastPort)
            return false;
        if (handler == nullptr)
            return true;
        m_entries[port].inputContext = context;
        m_entries[port].input = handler;
        m_entries[port].statusInput = nullptr;
        return true;
    }
    bool SetInputHandlerWithStatus(uint32_t port, void* context, InputHandlerWithStatus handler) override {
        if (port > kLastPort)
            return false;
        if (handler == nullptr)
            return true;
        m_entries[port].inputContext = context;
        m_entries[port].input = nullptr;
        m_entries[port].statusInput = handler;
        return true;
    }
    bool SetOutputHandler(uint32_t port, void* context, OutputHandler handler) override {
        if (port > kLastPort)
            return false;
        if (handler == nullptr)
            return true;
        m_entries[port].outputContext = context;
        m_entries[port].output = handler;
        return true;
    }
    bool RemoveInputHandler(uint32_t port) override {
        if (port > kLastPort)
            return false;
        m_entries[port].inputContext = nullptr;
        m_entries[port].input = nullptr;
        m_entries[port].statusInput = nullptr;
        return true;
    }
    bool RemoveOutputHandler(uint32_t port) override {
        if (port > kLastPort)
            return false;
        m_entries[port].outputContext = nullptr;
        m_entries[port].output = nullptr;
        return true;
    }

    bool HasInput(uint32_t port) const {
        return m_entries[port].input != nullptr || m_entries[port].statusInput != nullptr;
    }

    std::vector<CEntry> m_entries;
};

// Interrupt tables double: two tables of 256 hooks.
class CFakeInterrupts : public emu::CInterrupts {
public:
    struct CHook {
        void* context = nullptr;
        VectorHook hook = nullptr;
    };

    bool SetVectorHookA(uint32_t vector, void* context, VectorHook hook) override {
        return Set(m_tableA, vector, context, hook);
    }
    bool SetVectorHookB(uint32_t vector, void* context, VectorHook hook) override {
        return Set(m_tableB, vector, context, hook);
    }

    CHook m_tableA[kLastVector + 1];
    CHook m_tableB[kLastVector + 1];

private:
    static bool Set(CHook* table, uint32_t vector, void* context, VectorHook hook) {
        if (vector > kLastVector)
            return false;
        table[vector].context = hook != nullptr ? context : nullptr;
        table[vector].hook = hook;
        return true;
    }
};

// Machine double: while "running" it binds the parameters of its device tree
// (every one, or those of one type) through a real binder into the fake
// services and resets the tree with the word for the type, as a machine does.
class CFakeMachine : public emu::CMachineInterface {
public:
    CFakeMachine() : m_memory(64) {}

    emu::CProcessorInterface* GetMainProcessor() override { return nullptr; }
    common::CTextConsole* GetConsole() override { return nullptr; }
    bool GetStateFlag() override { return false; }
    bool PollBreak(uint32_t) override { return true; }
    void GetBaseFrequency(int64_t* out) override { *out = 0; }
    void GetBaseCycleCount(int64_t* out) override { *out = 0; }
    void NotifyInterruptRequest() override {}
    void Suspend(bool) override {}

    bool BindParameters(emu::CDeviceParameter* parameter) override {
        m_bindRequests.push_back(parameter != nullptr ? parameter->GetType() : 0);
        if (!m_running || m_root == nullptr)
            return true;
        const uint32_t filter = parameter != nullptr ? parameter->GetType() : 0;
        const bool bound = Apply(m_root, filter);
        uint32_t word = 0x80;
        switch (filter) {
        case 0:
            word = 0x8E;
            break;
        case 4:
            word = 0x82;
            break;
        case 8:
            word = 0x84;
            break;
        case 1:
        case 16:
        case 32:
            word = 0x88;
            break;
        default:
            break;
        }
        return m_root->Reset(word) && bound;
    }

    // Hands the services to every device of the tree.
    void Connect(emu::CDevice* device) {
        device->SetServices(this, nullptr, &m_memory, &m_ports, &m_interrupts, nullptr, nullptr, nullptr, nullptr);
        for (int i = 0; i < device->GetChildCount(); ++i) {
            emu::CObject* child = device->GetChildAt(i);
            if (child->IsDevice())
                Connect(static_cast<emu::CDevice*>(child));
        }
    }

    bool Apply(emu::CDevice* device, uint32_t filter) {
        if (!device->IsEnabled())
            return true;
        emu::CDeviceParameterList* list = device->GetParameters();
        for (int i = 0; i < list->GetCount(); ++i) {
            emu::CDeviceParameter* p = list->GetAt(i);
            if (filter != 0 && p->GetType() != filter)
                continue;
            bool ok = true;
            switch (p->GetType()) {
            case 0:
                break;
            case 1:
                ok = m_binder.BindValue(p);
                break;
            case 2:
                ok = m_binder.BindValue2(p);
                break;
            case 4:
                ok = m_binder.BindMemoryWindow(&m_memory, p, device);
                break;
            case 8:
                ok = m_binder.BindPorts(&m_ports, p, device);
                break;
            case 16:
                ok = m_binder.BindInterruptVector(&m_interrupts, p, device);
                break;
            case 32:
                ok = m_binder.BindInterruptTableEntry(&m_interrupts, p, device);
                break;
            default:
                ok = false;
                break;
            }
            if (!ok)
                return false;
        }
        for (int i = 0; i < device->GetChildCount(); ++i) {
            emu::CObject* child = device->GetChildAt(i);
            if (child->IsDevice() && !Apply(static_cast<emu::CDevice*>(child), filter))
                return false;
        }
        return true;
    }

    emu::CDevice* m_root = nullptr; // not owned
    bool m_running = false;
    std::vector<uint32_t> m_bindRequests;
    emu::CParameterBinder m_binder;
    CFakeMemory m_memory;
    CFakePorts m_ports;
    CFakeInterrupts m_interrupts;
};

// Handlers to install; only their addresses matter. Bodies differ so that no
// optimiser folds two of one signature into one address.
inline bool TestRead(void*, uint32_t, uint32_t, uint8_t*, uint8_t) {
    return true;
}
inline bool TestWrite(void*, uint32_t, uint32_t, uint8_t*) {
    return true;
}
inline bool TestInput(void*, uint32_t, uint32_t, uint8_t*, uint8_t) {
    return false;
}
inline bool TestStatusInput(void*, uint32_t, uint32_t, uint8_t*, uint8_t, uint8_t*) {
    return true;
}
inline bool TestOutput(void*, uint32_t, uint32_t, uint8_t*) {
    return false;
}
inline bool TestHook(void*, uint32_t, uint32_t, uint32_t, emu::CProcessorInterface*, uint64_t*) {
    return true;
}
inline bool OtherHook(void*, uint32_t, uint32_t, uint32_t, emu::CProcessorInterface*, uint64_t*) {
    return false;
}

} // namespace test
