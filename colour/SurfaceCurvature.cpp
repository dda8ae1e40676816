#include "colour/SurfaceCurvature.h"

#include "mesh/VectorClones.h"

namespace Vextal {

namespace {

SuperShapeCoefficients coefficientsOf(const std::array<float, 6>& c) {
    return {c[0], c[1], c[2], c[3], c[4], c[5]};
}

// The point of one surface kind, for a whole row.
struct Spheric {
    static SurfacePoint<Jet> at(const AngleJets<ThetaJet>& t, const AngleJets<PhiJet>& p) {
        return sphericPointOf(t.sine, t.cosine, t.radius, p.sine, p.cosine, p.radius);
    }
};
struct Toric {
    static SurfacePoint<Jet> at(const AngleJets<ThetaJet>& t, const AngleJets<PhiJet>& p) {
        return toricPointOf(t.sine, t.cosine, t.radius, p.sine, p.cosine, p.radius);
    }
};
struct Harmonic {
    static SurfacePoint<Jet> at(const AngleJets<ThetaJet>& t, const AngleJets<PhiJet>& p) {
        return harmonicPointOf(t.sine, t.cosine, t.radius, p.sine, p.cosine, p.radius);
    }
};

// Free functions, one per kind, with every call inlined (flatten): the loop
// then has no call and no branch in it, and is compiled once per
// instruction set.
template <class Kind>
inline void rowOf(const AngleJets<ThetaJet>& theta, const PhiColumns& columns, CurvatureRow& out) {
    const std::uint32_t count = columns.count();
    double* __restrict gaussian = out.gaussian.data();
    double* __restrict mean = out.mean.data();
    double* __restrict area = out.areaElement.data();
    const double *__restrict s0 = columns.sine[0].data(), *__restrict s1 = columns.sine[1].data(),
                             *__restrict s2 = columns.sine[2].data();
    const double *__restrict c0 = columns.cosine[0].data(),
                             *__restrict c1 = columns.cosine[1].data(),
                             *__restrict c2 = columns.cosine[2].data();
    const double *__restrict r0 = columns.radius[0].data(),
                             *__restrict r1 = columns.radius[1].data(),
                             *__restrict r2 = columns.radius[2].data();
    // The arrays never overlap, which GCC cannot prove from the restricted
    // locals alone: without this it gives up on the loop's many alias checks.
    VEXTAL_NO_OVERLAP_LOOP
    for (std::uint32_t j = 0; j < count; ++j) {
        const AngleJets<PhiJet> phi{
            {s0[j], s1[j], s2[j]}, {c0[j], c1[j], c2[j]}, {r0[j], r1[j], r2[j]}};
        const Curvature k = curvatureOf(Kind::at(theta, phi));
        gaussian[j] = k.gaussian;
        mean[j] = k.mean;
        area[j] = k.areaElement;
    }
}
VEXTAL_VECTOR_CLONES [[gnu::flatten]] void
sphericRow(const AngleJets<ThetaJet>& theta, const PhiColumns& columns, CurvatureRow& out) {
    rowOf<Spheric>(theta, columns, out);
}
VEXTAL_VECTOR_CLONES [[gnu::flatten]] void toricRow(const AngleJets<ThetaJet>& theta,
                                                    const PhiColumns& columns, CurvatureRow& out) {
    rowOf<Toric>(theta, columns, out);
}
VEXTAL_VECTOR_CLONES [[gnu::flatten]] void
harmonicRow(const AngleJets<ThetaJet>& theta, const PhiColumns& columns, CurvatureRow& out) {
    rowOf<Harmonic>(theta, columns, out);
}

} // namespace

SurfaceDerivatives::SurfaceDerivatives(const SceneValues& v)
    : values(v), coef1(coefficientsOf(v.coef1)), coef2(coefficientsOf(v.coef2)),
      derived1(derive(coef1)), derived2(derive(coef2)) {}

AngleJets<ThetaJet> SurfaceDerivatives::atTheta(double theta) const {
    const Jet u = Jet::u(theta);
    const auto& h = values.coefh;
    const Jet radius = values.surface == SurfaceKind::harmonic
                           ? harmonicRadiusOf(h[4], h[5], h[6], h[7], u)
                           : superformulaRadiusOf(coef2, derived2, u);
    return {lineJetOf<0>(sin(u)), lineJetOf<0>(cos(u)), lineJetOf<0>(radius)};
}

AngleJets<PhiJet> SurfaceDerivatives::atPhi(double phi) const {
    const Jet v = Jet::v(phi);
    const auto& h = values.coefh;
    const Jet radius = values.surface == SurfaceKind::harmonic
                           ? harmonicRadiusOf(h[0], h[1], h[2], h[3], v)
                           : superformulaRadiusOf(coef1, derived1, v);
    return {lineJetOf<1>(sin(v)), lineJetOf<1>(cos(v)), lineJetOf<1>(radius)};
}

SurfacePoint<Jet> SurfaceDerivatives::point(const AngleJets<ThetaJet>& t,
                                            const AngleJets<PhiJet>& p) const {
    switch (values.surface) {
    case SurfaceKind::spheric:
        return Spheric::at(t, p);
    case SurfaceKind::toric:
        return Toric::at(t, p);
    case SurfaceKind::harmonic:
        return Harmonic::at(t, p);
    case SurfaceKind::formula:
        break;
    }
    return {};
}

void SurfaceDerivatives::curvatureRow(const AngleJets<ThetaJet>& theta, const PhiColumns& columns,
                                      CurvatureRow& out) const {
    switch (values.surface) {
    case SurfaceKind::spheric:
        return sphericRow(theta, columns, out);
    case SurfaceKind::toric:
        return toricRow(theta, columns, out);
    case SurfaceKind::harmonic:
        return harmonicRow(theta, columns, out);
    case SurfaceKind::formula:
        break;
    }
}

void PhiColumns::push(const AngleJets<PhiJet>& jets) {
    for (const auto& [to, from] : {std::pair{sine, &jets.sine}, std::pair{cosine, &jets.cosine},
                                   std::pair{radius, &jets.radius}}) {
        to[0].push_back(from->value);
        to[1].push_back(from->d);
        to[2].push_back(from->dd);
    }
}

Curvature curvatureAt(const SceneValues& values, double theta, double phi) {
    const SurfaceDerivatives surface(values);
    return curvatureOf(surface.point(surface.atTheta(theta), surface.atPhi(phi)));
}

} // namespace Vextal
