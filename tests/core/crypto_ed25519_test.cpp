#include <gtest/gtest.h>

#include <string>

#include "core/bytes.h"
#include "core/crypto/ed25519.h"
#include "core/text/hex.h"

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> bytes_of(std::string_view hex) {
    const auto decoded = core::hex_decode(hex).value();
    std::array<std::uint8_t, N> out{};
    EXPECT_EQ(decoded.size(), N);
    std::copy(decoded.begin(), decoded.end(), out.begin());
    return out;
}

struct Vector {
    std::string_view seed, public_key, message, signature;
};

// RFC 8032, section 7.1: TEST 1, TEST 2, TEST 3 and TEST 1024.
const std::string kMessage1023 =
    "08b8b2b733424243760fe426a4b54908632110a66c2f6591eabd3345e3e4eb98"
    "fa6e264bf09efe12ee50f8f54e9f77b1e355f6c50544e23fb1433ddf73be84d8"
    "79de7c0046dc4996d9e773f4bc9efe5738829adb26c81b37c93a1b270b20329d"
    "658675fc6ea534e0810a4432826bf58c941efb65d57a338bbd2e26640f89ffbc"
    "1a858efcb8550ee3a5e1998bd177e93a7363c344fe6b199ee5d02e82d522c4fe"
    "ba15452f80288a821a579116ec6dad2b3b310da903401aa62100ab5d1a36553e"
    "06203b33890cc9b832f79ef80560ccb9a39ce767967ed628c6ad573cb116dbef"
    "efd75499da96bd68a8a97b928a8bbc103b6621fcde2beca1231d206be6cd9ec7"
    "aff6f6c94fcd7204ed3455c68c83f4a41da4af2b74ef5c53f1d8ac70bdcb7ed1"
    "85ce81bd84359d44254d95629e9855a94a7c1958d1f8ada5d0532ed8a5aa3fb2"
    "d17ba70eb6248e594e1a2297acbbb39d502f1a8c6eb6f1ce22b3de1a1f40cc24"
    "554119a831a9aad6079cad88425de6bde1a9187ebb6092cf67bf2b13fd65f270"
    "88d78b7e883c8759d2c4f5c65adb7553878ad575f9fad878e80a0c9ba63bcbcc"
    "2732e69485bbc9c90bfbd62481d9089beccf80cfe2df16a2cf65bd92dd597b07"
    "07e0917af48bbb75fed413d238f5555a7a569d80c3414a8d0859dc65a46128ba"
    "b27af87a71314f318c782b23ebfe808b82b0ce26401d2e22f04d83d1255dc51a"
    "ddd3b75a2b1ae0784504df543af8969be3ea7082ff7fc9888c144da2af58429e"
    "c96031dbcad3dad9af0dcbaaaf268cb8fcffead94f3c7ca495e056a9b47acdb7"
    "51fb73e666c6c655ade8297297d07ad1ba5e43f1bca32301651339e22904cc8c"
    "42f58c30c04aafdb038dda0847dd988dcda6f3bfd15c4b4c4525004aa06eeff8"
    "ca61783aacec57fb3d1f92b0fe2fd1a85f6724517b65e614ad6808d6f6ee34df"
    "f7310fdc82aebfd904b01e1dc54b2927094b2db68d6f903b68401adebf5a7e08"
    "d78ff4ef5d63653a65040cf9bfd4aca7984a74d37145986780fc0b16ac451649"
    "de6188a7dbdf191f64b5fc5e2ab47b57f7f7276cd419c17a3ca8e1b939ae49e4"
    "88acba6b965610b5480109c8b17b80e1b7b750dfc7598d5d5011fd2dcc5600a3"
    "2ef5b52a1ecc820e308aa342721aac0943bf6686b64b2579376504ccc493d97e"
    "6aed3fb0f9cd71a43dd497f01f17c0e2cb3797aa2a2f256656168e6c496afc5f"
    "b93246f6b1116398a346f1a641f3b041e989f7914f90cc2c7fff357876e506b5"
    "0d334ba77c225bc307ba537152f3f1610e4eafe595f6d9d90d11faa933a15ef1"
    "369546868a7f3a45a96768d40fd9d03412c091c6315cf4fde7cb68606937380d"
    "b2eaaa707b4c4185c32eddcdd306705e4dc1ffc872eeee475a64dfac86aba41c"
    "0618983f8741c5ef68d3a101e8a3b8cac60c905c15fc910840b94c00a0b9d0";

const Vector kVectors[] = {
    {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
     "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e06522490155"
     "5fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24655141438e7a100b"},
    {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
     "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da"
     "085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00"},
    {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
     "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac"
     "18ff9b538d16f290ae67f760984dc6594a7c15e9716ed28dc027beceea1ec40a"},
    {"f5e5767cf153319517630f226876b86c8160cc583bc013744c6bf255f5cc0ee5",
     "278117fc144c72340f67d0f2316e8386ceffbf2b2428c9c51fef7c597f1d426e", kMessage1023,
     "0aab4c900501b3e24d7cdf4663326a3a87df5e4843b2cbdb67cbf6e460fec350"
     "aa5371b1508f9f4528ecea23c436d94b5e8fcd4f681e30a6ac00a9704a188a03"},
};

// The eight points of small order (RFC 8032 leaves them legal; strict verification
// refuses them as keys and as R).
const std::string_view kSmallOrder[] = {
    "0100000000000000000000000000000000000000000000000000000000000000",  // neutral
    "ecffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f",  // order 2
    "0000000000000000000000000000000000000000000000000000000000000000",  // order 4
    "0000000000000000000000000000000000000000000000000000000000000080",
    "26e8958fc2b227b045c3f489f2ef98f0d5dfac05d3c63339b13802886d53fc05",  // order 8
    "26e8958fc2b227b045c3f489f2ef98f0d5dfac05d3c63339b13802886d53fc85",
    "c7176a703d4dd84fba3c0b760d10670f2a2053fa2c39ccc64ec7fd7792ac037a",
    "c7176a703d4dd84fba3c0b760d10670f2a2053fa2c39ccc64ec7fd7792ac03fa",
};

// y = p and y = p + 1: the non-canonical aliases of the points with y = 0 and y = 1.
const std::string_view kNonCanonical[] = {
    "edffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f",
    "eeffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f",
    "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",
};

// y = 2 is not the y of any curve point; y = 1 with the sign bit set would be "-0".
const std::string_view kNotOnCurve[] = {
    "0200000000000000000000000000000000000000000000000000000000000000",
    "0100000000000000000000000000000000000000000000000000000000000080",
};

std::string verify_error(const core::Ed25519PublicKey& key, const core::Bytes& message,
                         const core::Ed25519Signature& signature) {
    const auto verified = core::verify_ed25519(key, message, signature);
    return verified ? std::string("ok") : verified.error().chain();
}

TEST(Ed25519, RfcVectorsDeriveSignAndVerify) {
    for (const Vector& v : kVectors) {
        const auto seed = bytes_of<32>(v.seed);
        const auto public_key = bytes_of<32>(v.public_key);
        const auto message = core::hex_decode(v.message).value();
        const auto signature = bytes_of<64>(v.signature);

        const auto derived = core::ed25519_public_key(seed);
        ASSERT_TRUE(derived) << derived.error().chain();
        EXPECT_EQ(*derived, public_key);
        const auto signed_now = core::ed25519_sign(seed, message);
        ASSERT_TRUE(signed_now) << signed_now.error().chain();
        EXPECT_EQ(*signed_now, signature);  // Ed25519 is deterministic
        EXPECT_EQ(verify_error(public_key, message, signature), "ok") << v.public_key;
    }
}

TEST(Ed25519, WrongMessageKeyOrSignatureFailsInLibgcrypt) {
    const Vector& v = kVectors[2];
    const auto public_key = bytes_of<32>(v.public_key);
    auto message = core::hex_decode(v.message).value();
    auto signature = bytes_of<64>(v.signature);

    message[0] ^= 1;
    EXPECT_EQ(verify_error(public_key, message, signature), "Bad signature");
    message[0] ^= 1;
    signature[40] ^= 1;  // S stays below L
    EXPECT_EQ(verify_error(public_key, message, signature), "Bad signature");
    signature[40] ^= 1;
    EXPECT_EQ(verify_error(bytes_of<32>(kVectors[1].public_key), message, signature), "Bad signature");
}

TEST(Ed25519, ScalarAtOrAboveTheGroupOrderIsRefusedBeforeTheEquation) {
    // S + L verifies under the lax equation ([S+L]B = [S]B); strict verification refuses it.
    const Vector& v = kVectors[0];
    const auto public_key = bytes_of<32>(v.public_key);
    auto signature = bytes_of<64>(v.signature);
    const auto order = bytes_of<32>("edd3f55c1a631258d69cf7a2def9de1400000000000000000000000000000010");
    unsigned carry = 0;
    for (int i = 0; i < 32; ++i) {
        const unsigned sum = signature[32 + i] + order[i] + carry;
        signature[32 + i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
    ASSERT_EQ(carry, 0u);
    EXPECT_EQ(verify_error(public_key, {}, signature), "signature scalar is not below the group order");

    std::copy(order.begin(), order.end(), signature.begin() + 32);  // S = L exactly
    EXPECT_EQ(verify_error(public_key, {}, signature), "signature scalar is not below the group order");
    auto below = order;
    below[0] -= 1;  // S = L - 1 passes the scalar rule and fails the equation
    std::copy(below.begin(), below.end(), signature.begin() + 32);
    EXPECT_EQ(verify_error(public_key, {}, signature), "Bad signature");
}

TEST(Ed25519, SmallOrderNonCanonicalAndUndecodablePointsAreRefused) {
    const Vector& v = kVectors[1];
    const auto good_key = bytes_of<32>(v.public_key);
    const auto message = core::hex_decode(v.message).value();
    const auto good_signature = bytes_of<64>(v.signature);

    const auto with_r = [&](std::string_view r) {
        auto signature = good_signature;
        const auto point = bytes_of<32>(r);
        std::copy(point.begin(), point.end(), signature.begin());
        return verify_error(good_key, message, signature);
    };
    for (const auto point : kSmallOrder) {
        EXPECT_EQ(with_r(point), "signature point has small order") << point;
        EXPECT_EQ(verify_error(bytes_of<32>(point), message, good_signature), "public key has small order") << point;
        EXPECT_EQ(core::check_ed25519_public_key(bytes_of<32>(point)).error().message(), "public key has small order");
    }
    for (const auto point : kNonCanonical) {
        EXPECT_EQ(with_r(point), "signature point is not canonical") << point;
        EXPECT_EQ(verify_error(bytes_of<32>(point), message, good_signature), "public key is not canonical") << point;
    }
    for (const auto point : kNotOnCurve) {
        EXPECT_EQ(with_r(point), "signature point is not a curve point") << point;
        EXPECT_EQ(verify_error(bytes_of<32>(point), message, good_signature), "public key is not a curve point")
            << point;
    }
    // Every RFC key, and the development key, is an ordinary point.
    for (const Vector& vector : kVectors) EXPECT_TRUE(core::check_ed25519_public_key(bytes_of<32>(vector.public_key)));
    EXPECT_TRUE(core::check_ed25519_public_key(
        bytes_of<32>("1a49b6f97213fe35d297c799c19acc12f17fb135172920ce49c98d5787c94b5b")));
}

TEST(Ed25519, MessagesOfPackageSizeSignAndVerify) {
    // Far beyond the 65,535 bytes that libgcrypt's S-expressions can carry.
    const auto seed = bytes_of<32>(kVectors[0].seed);
    core::Bytes message(3 * 1024 * 1024 + 5);
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<std::uint8_t>(i * 31);
    const auto signature = core::ed25519_sign(seed, message).value();
    const auto key = bytes_of<32>(kVectors[0].public_key);
    EXPECT_EQ(verify_error(key, message, signature), "ok");
    message.back() ^= 1;
    EXPECT_EQ(verify_error(key, message, signature), "Bad signature");
}

TEST(Ed25519, GeneratedSeedsDifferAndSignVerifiably) {
    const auto first = core::ed25519_generate_seed();
    const auto second = core::ed25519_generate_seed();
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    const auto key = core::ed25519_public_key(*first).value();
    const core::Bytes message{1, 2, 3};
    EXPECT_EQ(verify_error(key, message, core::ed25519_sign(*first, message).value()), "ok");
}

}  // namespace
