// Small typed values the REST operations exchange (allocation type, running status, copy speed,
// ...), and the constants the callers compare and pass.
#pragma once

#include <string>
#include <utility>

namespace HuaweiApi {

class Values {
  public:
    Values() = default;
    explicit Values(std::string value) : m_value(std::move(value)) {}
    Values(const Values&) = default;
    Values& operator=(const Values&) = default;
    virtual ~Values() = default;

    virtual bool isEmpty() const { return m_value.empty(); }
    virtual void clear() { m_value.clear(); }
    std::string getValue() const { return m_value; }

  protected:
    std::string m_value;
};

inline bool operator==(const Values& a, const Values& b) {
    return a.getValue() == b.getValue();
}
inline bool operator!=(const Values& a, const Values& b) {
    return !(a == b);
}

#define TAVSO_HUAWEI_VALUE_CLASS(Name)                         \
    class Name : public Values {                               \
      public:                                                  \
        Name() = default;                                      \
        explicit Name(std::string v) : Values(std::move(v)) {} \
    };

TAVSO_HUAWEI_VALUE_CLASS(AllocType)
TAVSO_HUAWEI_VALUE_CLASS(RunningStatus)
TAVSO_HUAWEI_VALUE_CLASS(FirstSyncValue)
TAVSO_HUAWEI_VALUE_CLASS(ResumePolicyValue)
TAVSO_HUAWEI_VALUE_CLASS(ObjectTypeValue)
#undef TAVSO_HUAWEI_VALUE_CLASS

class CloneSecondaryLunRunningStatus : public Values {
  public:
    CloneSecondaryLunRunningStatus() = default;
    explicit CloneSecondaryLunRunningStatus(std::string v) : Values(std::move(v)) {}
    // The clone constants are copies of the running-status constants.
    explicit CloneSecondaryLunRunningStatus(const Values& v) : Values(v) {}
};

// Keeps the integer beside its text; only 1 (low) to 4 (highest) are speeds.
class CopySpeedValue : public Values {
  public:
    CopySpeedValue() = default;
    explicit CopySpeedValue(int speed) {
        if (speed >= 1 && speed <= 4) {
            m_speed = speed;
            m_value = std::to_string(speed);
        }
    }
    void clear() override {
        Values::clear();
        m_speed = 0;
    }
    int getIntValue() const { return m_speed; }

  private:
    int m_speed = 0;
};

}  // namespace HuaweiApi

// Defined in api/ModuleGlobals.cpp, ahead of every other global, so that any global's constructor
// may use them.
namespace HuaweiApiValue {
extern const HuaweiApi::AllocType ALLOC_TYPE_THIN;
extern const HuaweiApi::AllocType ALLOC_TYPE_THICK;
extern const HuaweiApi::AllocType ALLOC_TYPE_DEFAULT;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_UNKNOWN;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_NORM;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_SYNC;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_SPLIT;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_ONLINE;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_TO_BE_RECOVERED;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_INTERRUPTED;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_QUEUING;
extern const HuaweiApi::RunningStatus RUNNING_STATUS_REVERSE_SYNC;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_UNKNOWN;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_NORM;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_SYNC;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_SPLIT;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_TO_BE_RECOVERED;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_INTERRUPTED;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_QUEUING;
extern const HuaweiApi::CloneSecondaryLunRunningStatus CLONE_SEC_LUN_RUNNING_STATUS_REVERSE_SYNC;
extern const HuaweiApi::FirstSyncValue FIRST_SYNC_YES;
extern const HuaweiApi::FirstSyncValue FIRST_SYNC_NO;
extern const HuaweiApi::ResumePolicyValue RESUME_POLICY_AUTOMATIC;
extern const HuaweiApi::ResumePolicyValue RESUME_POLICY_MANUAL;
extern const HuaweiApi::CopySpeedValue COPY_SPEED_LOW;
extern const HuaweiApi::CopySpeedValue COPY_SPEED_MEDIUM;
extern const HuaweiApi::CopySpeedValue COPY_SPEED_HIGH;
extern const HuaweiApi::CopySpeedValue COPY_SPEED_HIGHEST;
extern const HuaweiApi::ObjectTypeValue OBJECT_TYPE_HOST;
extern const HuaweiApi::ObjectTypeValue OBJECT_TYPE_HOSTGROUP;
extern const HuaweiApi::ObjectTypeValue OBJECT_TYPE_LUN;
extern const HuaweiApi::ObjectTypeValue OBJECT_TYPE_SNAPSHOT_LUN;
extern const HuaweiApi::ObjectTypeValue OBJECT_TYPE_LUN_GROUP;
extern const HuaweiApi::ObjectTypeValue OBJECT_TYPE_MAPPINGVIEW;
}  // namespace HuaweiApiValue
