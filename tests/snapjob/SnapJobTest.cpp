// Whole snapshot jobs through the exported functions: prepare, then snap, against simulated
// arrays driven over their CLI or their REST interface.
#include <gtest/gtest.h>

#include <algorithm>

#include "api/HuaweiMetaData.h"
#include "api/HuaweiSnapDevices.h"
#include "api/TAVSOHuaweiAPI.h"
#include "tests/support/SnapJobBed.h"

using tavso::test::BedArray;
using tavso::test::ErrorReport;
using tavso::test::FakeVolume;
using tavso::test::SnapJobBed;

namespace {

const char kCliArray[] = "2102351234ABCD000001";
const char kRestArray[] = "2102359876WXYZ000002";
const char kCliFirmware[] = "V300R006C00";
const char kRestFirmware[] = "V500R007C10";

std::string metadata(const std::string& array, uint32_t lun, uint32_t snap, const std::string& lunName,
                     const std::string& snapName) {
    return "3*" + array + "*" + std::to_string(lun) + "*" + std::to_string(snap) + "*39*1*" + lunName + "*" +
           snapName + "*0***";
}

// The ID of the array's snapshot of that name (0: none).
uint32_t snapshotId(BedArray& a, const std::string& name) {
    for (const auto& [id, s] : a.model().copy().snapshots) {
        if (s.name == name) {
            return id;
        }
    }
    return 0;
}

uint32_t lunOf(FakeVolume& v) {
    _MetaDataParams m;
    EXPECT_TRUE(GetMetaDataParams(&v, v.metadata(1).value_or("").c_str(), &m));
    return m.sourceId;
}

class SnapJob : public ::testing::Test {
  protected:
    SnapJobBed bed;
};

TEST_F(SnapJob, OneLunOverTheCliFromSupportedToSnapped) {
    BedArray& a = bed.addArray(kCliArray, kCliFirmware);
    FakeVolume& v = bed.addVolume(a, "lun_a");
    EXPECT_EQ(0, tavso_isSupported(v.sourceDevice.c_str(), TAVSO::SNAP_TYPE_DEFAULT, &bed.os, nullptr, 0));

    ASSERT_EQ(0, bed.prepare());
    const uint32_t lun = lunOf(v);
    EXPECT_EQ((std::vector<int>{0, 1}), v.statuses());
    EXPECT_EQ(metadata(kCliArray, lun, 0, "lun_a", ""), v.metadata(1));
    EXPECT_EQ("HUAWEI_CONNECT_CLI", v.transient(TAVSO::TRANSIENT_TRANSPORT));
    EXPECT_TRUE(v.errors().empty());

    ASSERT_EQ(0, bed.snap());
    const uint32_t snap = snapshotId(a, "job_snap");
    ASSERT_NE(0u, snap);
    EXPECT_EQ(5, v.status());
    EXPECT_EQ(metadata(kCliArray, lun, snap, "lun_a", "job_snap"), v.metadata(1));
    EXPECT_EQ(std::optional<int>(static_cast<int>(lun)), v.sourceLunId());
    EXPECT_EQ(std::vector<std::string>{"job_snap of LUN " + std::to_string(lun) + " (Activated)"},
              a.snapshots());
    EXPECT_EQ(std::vector<std::string>{"create snapshot general lun_id_list=" + std::to_string(lun) +
                                       " name=job_snap"},
              a.commandsStarting("create snapshot"));
    EXPECT_TRUE(a.requests().empty()) << "a CLI array is never asked over REST";
    EXPECT_TRUE(
        v.logged("|-------------------- Completed snapshot/clone.[ success - 1/1] --------------------|", 1));
}

TEST_F(SnapJob, ThreeLunsOfOneArrayInOneRequest) {
    BedArray& a = bed.addArray(kCliArray, kCliFirmware);
    for (const char* name : {"lun_a", "lun_b", "lun_c"}) {
        bed.addVolume(a, name);
    }
    ASSERT_EQ(0, bed.prepare());
    ASSERT_EQ(0, bed.snap());
    std::string luns, ids;
    for (size_t i = 0; i < 3; ++i) {
        FakeVolume& v = *bed.volumes[i];
        const std::string name = "job_snap000" + std::to_string(i);
        const uint32_t snap = snapshotId(a, name);
        ASSERT_NE(0u, snap) << name;
        EXPECT_EQ(5, v.status());
        EXPECT_EQ(metadata(kCliArray, lunOf(v), snap, std::string("lun_") + char('a' + i), name),
                  v.metadata(1));
        luns += (i ? "," : "") + std::to_string(lunOf(v));
        ids += (i ? "," : "") + std::to_string(snap);
    }
    EXPECT_EQ(std::vector<std::string>{"create snapshot general lun_id_list=" + luns + " name=job_snap"},
              a.commandsStarting("create snapshot"));
    EXPECT_EQ(std::vector<std::string>{"change snapshot activate snapshot_id_list=" + ids},
              a.commandsStarting("change snapshot activate"));
}

TEST_F(SnapJob, TwoArraysOneOverTheCliOneOverRest) {
    BedArray& cli = bed.addArray(kCliArray, kCliFirmware);
    BedArray& rest = bed.addArray(kRestArray, kRestFirmware);
    bed.addVolume(rest, "r_a");
    bed.addVolume(cli, "c_a");
    bed.addVolume(rest, "r_b");
    ASSERT_EQ(0, bed.prepare());
    EXPECT_EQ("HUAWEI_CONNECT_REST", bed.volumes[0]->transient(TAVSO::TRANSIENT_TRANSPORT));
    EXPECT_EQ("HUAWEI_CONNECT_CLI", bed.volumes[1]->transient(TAVSO::TRANSIENT_TRANSPORT));
    rest.rest->clearRequests();

    ASSERT_EQ(0, bed.snap());
    for (auto& v : bed.volumes) {
        EXPECT_EQ(5, v->status());
    }
    // One name for two LUNs of a REST array: named by position, as the CLI names a batch.
    const uint32_t r0 = snapshotId(rest, "job_snap0000"), r1 = snapshotId(rest, "job_snap0001");
    ASSERT_NE(0u, r0);
    ASSERT_NE(0u, r1);
    EXPECT_EQ(metadata(kRestArray, lunOf(*bed.volumes[2]), r1, "r_b", "job_snap0001"),
              bed.volumes[2]->metadata(1));
    EXPECT_EQ((std::vector<std::string>{"POST /sessions", "POST /snapshot", "POST /snapshot",
                                        "POST /snapshot/activate", "DELETE /sessions"}),
              rest.requests());
    EXPECT_EQ(std::vector<std::string>{"job_snap of LUN " + std::to_string(lunOf(*bed.volumes[1])) +
                                       " (Activated)"},
              cli.snapshots());
    for (const std::string& s : rest.snapshots()) {
        EXPECT_NE(std::string::npos, s.find("(Activated)")) << s;
    }
    EXPECT_TRUE(cli.requests().empty());
}

TEST_F(SnapJob, RestArrayOverHttps) {
    bed.restHttps = true;
    BedArray& a = bed.addArray(kRestArray, kRestFirmware);
    FakeVolume& v = bed.addVolume(a, "lun_a");
    ASSERT_EQ(0, bed.prepare());
    ASSERT_EQ(0, bed.snap());
    EXPECT_EQ(metadata(kRestArray, bed.luns[0], snapshotId(a, "job_snap"), "lun_a", "job_snap"),
              v.metadata(1));
}

TEST_F(SnapJob, TwoVolumesOnOneLunShareOneSnapshot) {
    for (const char* firmware : {kCliFirmware, kRestFirmware}) {
        SnapJobBed job;
        BedArray& a = job.addArray(kCliArray, firmware);
        job.addVolume(a, "lun_a", "snap_x");
        job.addVolumeOn(a, job.luns[0], "snap_y");
        ASSERT_EQ(0, job.prepare()) << firmware;
        ASSERT_EQ(0, job.snap()) << firmware;
        ASSERT_EQ(1u, a.snapshots().size()) << firmware;
        EXPECT_EQ(job.volumes[0]->metadata(1), job.volumes[1]->metadata(1)) << firmware;
        EXPECT_EQ("snap_x", job.volumes[1]->snapNameSet()) << firmware;
        EXPECT_EQ("", job.volumes[0]->snapNameSet()) << firmware;
    }
}

// The array refuses one LUN of the batch (only that volume fails) or the activation (the whole
// batch is taken back, nothing is left on the array), over either transport.
TEST(SnapJobRefusals, FailOnlyWhatTheArrayRefused) {
    for (const char* firmware : {kCliFirmware, kRestFirmware}) {
        for (bool wholeBatch : {false, true}) {
            SCOPED_TRACE(std::string(firmware) + (wholeBatch ? " activation refused" : " one LUN refused"));
            SnapJobBed job;
            BedArray& a = job.addArray(kCliArray, firmware);
            job.addVolume(a, "lun_a");
            job.addVolume(a, "lun_b");
            ASSERT_EQ(0, job.prepare());
            tavso::sim::ModelFaults faults;
            faults.refuseActivation = wholeBatch;
            if (!wholeBatch) {
                faults.snapshotFailures[job.luns[1]] = "The LUN is faulty.";
            }
            a.sim->setModelFaults(faults);
            EXPECT_EQ(wholeBatch ? 1 : 2, job.snap());
            // The array's own reason reaches the host: the batch's status text, or the activation error.
            const bool cli = std::string(firmware) == kCliFirmware;
            const std::string reason =
                !wholeBatch
                    ? (cli ? "Snapshot creation failure" : "The LUN is faulty.")
                    : (cli ? "[ERROR]Error: The snapshot activation failed.\r\nSuggestion: Check the input "
                             "and try again.\r\n"
                           : "The snapshot activation failed.");
            for (size_t i = 0; i < 2; ++i) {
                FakeVolume& v = *job.volumes[i];
                if (i == 0 && !wholeBatch) {
                    EXPECT_EQ(5, v.status());
                    EXPECT_TRUE(v.errors().empty());
                    continue;
                }
                EXPECT_EQ(6, v.status());
                EXPECT_EQ((std::vector<ErrorReport>{{60001, reason}}), v.errors());
            }
            const auto left = a.snapshots();
            if (wholeBatch) {
                EXPECT_TRUE(left.empty());
            } else {
                ASSERT_EQ(1u, left.size());
                EXPECT_NE(std::string::npos,
                          left[0].find("of LUN " + std::to_string(job.luns[0]) + " (Activated)"));
            }
        }
    }
}

TEST_F(SnapJob, AnUnreachableArrayFailsOnlyItsGroup) {
    BedArray& down = bed.addArray(kCliArray, kCliFirmware);
    BedArray& up = bed.addArray(kRestArray, kCliFirmware);
    bed.addVolume(down, "d_a");
    bed.addVolume(down, "d_b");
    bed.addVolume(up, "u_a");
    ASSERT_EQ(0, bed.prepare());
    down.sim->stop();
    EXPECT_EQ(2, bed.snap());
    for (int i : {0, 1}) {
        EXPECT_EQ(6, bed.volumes[i]->status());
        ASSERT_EQ(1u, bed.volumes[i]->errors().size());
        EXPECT_EQ(60001, bed.volumes[i]->errors()[0].code);
    }
    EXPECT_EQ(bed.volumes[0]->errors(), bed.volumes[1]->errors()) << "the group fails with one text";
    const std::string why = bed.volumes[0]->errors()[0].text;
    EXPECT_EQ(0u, why.rfind("[Huawei-Array connection] Failed to connect to server [127.0.0.1:", 0)) << why;
    EXPECT_NE(std::string::npos, why.find("Connection refused")) << why;
    EXPECT_EQ(5, bed.volumes[2]->status());
    EXPECT_EQ(1u, up.snapshots().size());
}

TEST_F(SnapJob, MissingTransportChoiceMeansRest) {
    BedArray& a = bed.addArray(kCliArray, kCliFirmware);
    FakeVolume& v = bed.addVolume(a, "lun_a");
    // Prepared by a host that did not keep the job's transient values: REST, even for a CLI array.
    v.storeMetadata(1, metadata(kCliArray, bed.luns[0], 0, "lun_a", ""));
    ASSERT_EQ(0, bed.snap());
    EXPECT_EQ(5, v.status());
    EXPECT_TRUE(a.commandsStarting("create snapshot").empty());
    const auto requests = a.requests();
    EXPECT_NE(requests.end(), std::find(requests.begin(), requests.end(), "POST /snapshot/activate"));
    EXPECT_EQ(1u, a.snapshots().size());
}

TEST_F(SnapJob, UnreadableMetadataFailsTheVolume) {
    BedArray& a = bed.addArray(kCliArray, kCliFirmware);
    FakeVolume& bad = bed.addVolume(a, "lun_a");
    FakeVolume& good = bed.addVolume(a, "lun_b");
    ASSERT_EQ(0, bed.prepare());
    bad.getMetadataResult[1] = 1;
    EXPECT_EQ(2, bed.snap());
    EXPECT_EQ(6, bad.status());
    EXPECT_TRUE(bad.logged("Failed to get metadata [id : 1]", 2));
    EXPECT_EQ(5, good.status());
    EXPECT_EQ(1u, a.snapshots().size());
}

TEST_F(SnapJob, MetadataThatCannotBeStoredFailsTheVolume) {
    BedArray& a = bed.addArray(kCliArray, kCliFirmware);
    FakeVolume& v = bed.addVolume(a, "lun_a");
    ASSERT_EQ(0, bed.prepare());
    v.setMetadataResult = 1;
    EXPECT_EQ(1, bed.snap());
    EXPECT_EQ(6, v.status());
    ASSERT_EQ(1u, v.errors().size());
    EXPECT_EQ((ErrorReport{60001, "Unable to store the snapshot metadata"}), v.errors()[0]);
    EXPECT_TRUE(v.loggedContaining("it is left on the array"));
}

TEST_F(SnapJob, EmptyCallsFail) {
    EXPECT_EQ(1, tavso_prepareDevices(nullptr, 0, &bed.os));
    EXPECT_EQ(1, tavso_snapDevices(nullptr, 0, &bed.os));
}

TEST(SnapshotCopyName, IsPrefixIdAndHostNumber) {
    FakeVolume v;
    v.numericId = 5;
    std::string name;
    GetSnapshotCopyName(&v, 233, name);
    EXPECT_EQ("TAVCL233_5", name);
}

}  // namespace
